#include "SettingKeys.h"

#include "DateText.h"

#include <QLocale>

#include <cmath>
#include <stdexcept>

namespace gw {

QString readSetting(const SettingKey& k)
{
    return settings().read(QString::fromLatin1(k.app), QString::fromLatin1(k.section),
                           QString::fromLatin1(k.key),
                           k.defaultText ? QString::fromUtf8(k.defaultText) : QString());
}

bool hasSetting(const SettingKey& k)
{
    return settings().contains(QString::fromLatin1(k.app), QString::fromLatin1(k.section),
                               QString::fromLatin1(k.key));
}

void writeSetting(const SettingKey& k, const QString& value)
{
    settings().write(QString::fromLatin1(k.app), QString::fromLatin1(k.section),
                     QString::fromLatin1(k.key), value);
}


namespace {

SettingKey familyKey(const char* const* names, int first, int count, int n, const char* def)
{
    if (n < first || n >= first + count)
        throw std::out_of_range("settings key family index");
    return SettingKey{keys::App, "Options", names[n - first], SettingForm::Check, def};
}

SettingKey textKey(SettingKey k)
{
    k.form = SettingForm::Text;
    return k;
}

std::optional<double> parseNumber(const QString& text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint64> parseRounded(const QString& text, qint64 lo, qint64 hi)
{
    const auto v = parseNumber(text);
    if (!v)
        return std::nullopt;
    const double r = std::nearbyint(*v); // half to even under the default rounding mode
    if (r < static_cast<double>(lo) || r > static_cast<double>(hi))
        return std::nullopt;
    return static_cast<qint64>(r);
}

} // namespace

QString readSetting(const SettingKey& k, const QString& runtimeDefault)
{
    return settings().read(QString::fromLatin1(k.app), QString::fromLatin1(k.section),
                           QString::fromLatin1(k.key),
                           k.defaultText ? QString::fromUtf8(k.defaultText) : runtimeDefault);
}

namespace keys {

SettingKey linkName(int n)
{
    static const char* const names[] = {"LinkName 1", "LinkName 2", "LinkName 3", "LinkName 4",
                                        "LinkName 5", "LinkName 6", "LinkName 7", "LinkName 8",
                                        "LinkName 9", "LinkName 10"};
    return textKey(familyKey(names, 1, 10, n, ""));
}

SettingKey linkUrl(int n)
{
    static const char* const names[] = {"LinkURL 1", "LinkURL 2", "LinkURL 3", "LinkURL 4",
                                        "LinkURL 5", "LinkURL 6", "LinkURL 7", "LinkURL 8",
                                        "LinkURL 9", "LinkURL 10"};
    return textKey(familyKey(names, 1, 10, n, ""));
}

SettingKey paymentOpt(int n)
{
    static const char* const names[] = {"PaymentOpt 1", "PaymentOpt 2", "PaymentOpt 3",
                                        "PaymentOpt 4", "PaymentOpt 5", "PaymentOpt 6",
                                        "PaymentOpt 7", "PaymentOpt 8", "PaymentOpt 9"};
    return familyKey(names, 1, 9, n, n == 9 ? "1" : "0");
}

SettingKey shippingOpt(int n)
{
    static const char* const names[] = {"ShippingOpt 1", "ShippingOpt 2", "ShippingOpt 3",
                                        "ShippingOpt 4"};
    return familyKey(names, 1, 4, n, n == 4 ? "1" : "0");
}

SettingKey otherCountry(int n)
{
    static const char* const names[] = {"OtherCountry0", "OtherCountry1", "OtherCountry2",
                                        "OtherCountry3", "OtherCountry4", "OtherCountry5",
                                        "OtherCountry6", "OtherCountry7", "OtherCountry8"};
    return familyKey(names, 0, 9, n, "0");
}

SettingKey sendAddress(int n)
{
    static const char* const names[] = {"SendAddress0", "SendAddress1", "SendAddress2",
                                        "SendAddress3"};
    return textKey(familyKey(names, 0, 4, n, ""));
}

} // namespace keys

std::optional<bool> parseFlag(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    const auto v = parseNumber(t);
    if (!v)
        return std::nullopt;
    return *v != 0.0;
}

QString flagText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<qint16> parseWhole(const QString& text)
{
    const auto v = parseRounded(text, -32768, 32767);
    if (!v)
        return std::nullopt;
    return static_cast<qint16>(*v);
}

std::optional<qint32> parseWhole32(const QString& text)
{
    const auto v = parseRounded(text, -2147483647LL - 1, 2147483647LL);
    if (!v)
        return std::nullopt;
    return static_cast<qint32>(*v);
}

std::optional<double> parseWindowSize(const QString& text)
{
    const auto v = parseNumber(text);
    if (!v || std::fabs(*v) > 3.4e38)
        return std::nullopt;
    return static_cast<double>(static_cast<float>(*v));
}

QString windowSizeText(double twips)
{
    const float f = static_cast<float>(twips);
    QString t = QString::number(static_cast<double>(f), 'g', 7);
    if (t.contains(QChar('e')))
        t = QString::number(static_cast<double>(f), 'f', 0);
    return t;
}

std::optional<bool> readFlag(const SettingKey& k)
{
    return parseFlag(readSetting(k));
}

std::optional<qint16> readWhole(const SettingKey& k)
{
    return parseWhole(readSetting(k));
}

std::optional<qint32> readWhole32(const SettingKey& k)
{
    return parseWhole32(readSetting(k));
}

std::optional<double> readWindowSize(const SettingKey& k, double runtimeDefault)
{
    if (!hasSetting(k) && !k.defaultText)
        return runtimeDefault;
    return parseWindowSize(readSetting(k));
}

std::optional<QDateTime> readDate(const SettingKey& k, const QDateTime& runtimeDefault)
{
    if (!hasSetting(k) && !k.defaultText)
        return runtimeDefault;
    return parseGeneralDate(readSetting(k));
}

void writeFlag(const SettingKey& k, bool value)
{
    writeSetting(k, flagText(value));
}

void writeDate(const SettingKey& k, const QDateTime& value)
{
    writeSetting(k, toGeneralDate(value));
}

} // namespace gw
