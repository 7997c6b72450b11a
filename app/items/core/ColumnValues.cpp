// Conversions between the program's column values and what the file stores.

#include "DateValue.h"
#include "DbSupport.h"
#include "ItemDatabase.h"
#include "Money.h"

#include <optional>

namespace gw {

using dbsupport::fail;

namespace {

const QString SrcDatabase = QStringLiteral("DAO.Database");

[[noreturn]] void typeMismatch()
{
    fail(3464, SrcDatabase, QStringLiteral("Data type mismatch in criteria expression."));
}

std::optional<bool> yesNoWord(const QString& raw)
{
    const QString t = raw.trimmed().toLower();
    if (t == QLatin1String("yes") || t == QLatin1String("true") || t == QLatin1String("on"))
        return true;
    if (t == QLatin1String("no") || t == QLatin1String("false") || t == QLatin1String("off"))
        return false;
    bool ok = false;
    const long long n = t.toLongLong(&ok);
    if (ok)
        return n != 0;
    return std::nullopt;
}

} // namespace

QString declaredTypeName(ColumnType type)
{
    switch (type) {
    case ColumnType::Key: return QStringLiteral("INTEGER");
    case ColumnType::Text: return QStringLiteral("TEXT");
    case ColumnType::Memo: return QStringLiteral("LONGTEXT");
    case ColumnType::Money: return QStringLiteral("MONEY");
    case ColumnType::Date: return QStringLiteral("DATETIME");
    case ColumnType::YesNo: return QStringLiteral("YESNO");
    case ColumnType::Number: return QStringLiteral("NUMBER");
    }
    return QStringLiteral("TEXT");
}

ColumnType columnTypeOf(const QString& declared, bool primaryKey)
{
    const QString t = declared.trimmed().toUpper();
    if (primaryKey && t.startsWith(QLatin1String("INTEGER")))
        return ColumnType::Key;
    if (t.startsWith(QLatin1String("MONEY")) || t.startsWith(QLatin1String("CURRENCY")))
        return ColumnType::Money;
    if (t.startsWith(QLatin1String("DATETIME")))
        return ColumnType::Date;
    if (t.startsWith(QLatin1String("YESNO")))
        return ColumnType::YesNo;
    if (t.startsWith(QLatin1String("LONGTEXT")) || t.startsWith(QLatin1String("MEMO")))
        return ColumnType::Memo;
    if (t.startsWith(QLatin1String("INT")) || t.startsWith(QLatin1String("NUMBER"))
        || t.startsWith(QLatin1String("REAL")) || t.startsWith(QLatin1String("DOUBLE")))
        return ColumnType::Number;
    return ColumnType::Text;
}

QVariant toStorage(ColumnType type, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (value.typeId() == QMetaType::QString && value.toString().isEmpty())
        return QVariant();
    switch (type) {
    case ColumnType::Text:
    case ColumnType::Memo:
        if (value.typeId() == QMetaType::QDateTime)
            return dateText(value.toDateTime());
        if (value.canConvert<Money>() && value.typeId() == qMetaTypeId<Money>())
            return value.value<Money>().toString();
        return value.toString();
    case ColumnType::Key:
    case ColumnType::Number: {
        if (value.typeId() == QMetaType::Double)
            return value;
        bool ok = false;
        const qint64 n = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return QVariant(n);
        const double d = value.toString().trimmed().toDouble(&ok);
        if (ok)
            return QVariant(d);
        typeMismatch();
    }
    case ColumnType::Money: {
        if (value.typeId() == qMetaTypeId<Money>())
            return QVariant(qint64(value.value<Money>().units()));
        QString text = value.toString();
        if (value.typeId() == QMetaType::Double)
            text = QString::number(value.toDouble(), 'f', 4);
        if (auto m = Money::parse(text))
            return QVariant(qint64(m->units()));
        typeMismatch();
    }
    case ColumnType::Date: {
        if (value.typeId() == QMetaType::QDateTime)
            return toStorageDate(value.toDateTime());
        if (value.typeId() == QMetaType::QDate)
            return toStorageDate(QDateTime(value.toDate(), QTime(0, 0)));
        if (auto d = parseDateText(value.toString()))
            return toStorageDate(*d);
        typeMismatch();
    }
    case ColumnType::YesNo: {
        if (value.typeId() == QMetaType::Bool)
            return QVariant(qint64(value.toBool() ? 1 : 0));
        if (auto b = yesNoWord(value.toString()))
            return QVariant(qint64(*b ? 1 : 0));
        typeMismatch();
    }
    }
    return value;
}

QVariant fromStorage(ColumnType type, const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return QVariant();
    switch (type) {
    case ColumnType::Money:
        if (stored.typeId() == QMetaType::LongLong)
            return QVariant::fromValue(Money::fromUnits(stored.toLongLong()));
        if (stored.typeId() == QMetaType::Double) {
            if (auto m = Money::parse(QString::number(stored.toDouble(), 'f', 4)))
                return QVariant::fromValue(*m);
        } else if (auto m = Money::parse(stored.toString())) {
            return QVariant::fromValue(*m);
        }
        return stored.toString();
    case ColumnType::Date:
        if (auto d = parseDateText(stored.toString()))
            return QVariant(*d);
        return stored.toString();
    case ColumnType::YesNo:
        if (auto b = yesNoWord(stored.toString()))
            return QVariant(*b);
        return stored.toString();
    case ColumnType::Key:
    case ColumnType::Number:
        return stored;
    case ColumnType::Text:
    case ColumnType::Memo:
        return stored.toString();
    }
    return stored;
}

} // namespace gw
