#include "PropertyBag.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>

namespace gw {

namespace {

constexpr quint32 kMagic = 0x47575042; // "GWPB"
constexpr auto kStreamVersion = QDataStream::Qt_6_0;
constexpr int kDigestSize = 16;
// Far above any control's property count; bounds what a damaged count can make us do.
constexpr quint32 kMaxEntries = 4096;

QByteArray digestOf(const QByteArray& payload)
{
    return QCryptographicHash::hash(payload, QCryptographicHash::Md5);
}

} // namespace

PropertyBag::PropertyBag(int versionMajor, int versionMinor)
    : m_major(versionMajor), m_minor(versionMinor)
{
}

void PropertyBag::setValue(const QString& name, const QVariant& value)
{
    for (Entry& e : m_entries) {
        if (e.name == name) {
            e.value = value;
            return;
        }
    }
    m_entries.append(Entry{name, value});
}

bool PropertyBag::contains(const QString& name) const
{
    for (const Entry& e : m_entries)
        if (e.name == name)
            return true;
    return false;
}

QVariant PropertyBag::value(const QString& name) const
{
    for (const Entry& e : m_entries)
        if (e.name == name)
            return e.value;
    return QVariant();
}

QStringList PropertyBag::names() const
{
    QStringList out;
    for (const Entry& e : m_entries)
        out.append(e.name);
    return out;
}

// Layout: magic, major, minor (quint16 each), payload length, MD5 of the payload, payload.
// The digest is checked before the payload is parsed, so damage never reaches QVariant.
QByteArray PropertyBag::toBytes() const
{
    QByteArray payload;
    {
        QDataStream ps(&payload, QIODevice::WriteOnly);
        ps.setVersion(kStreamVersion);
        ps << quint32(m_entries.size());
        for (const Entry& e : m_entries)
            ps << e.name << e.value;
    }
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setVersion(kStreamVersion);
    s << kMagic << quint16(m_major) << quint16(m_minor) << quint32(payload.size());
    s.writeRawData(digestOf(payload).constData(), kDigestSize);
    s.writeRawData(payload.constData(), int(payload.size()));
    return bytes;
}

PropertyBag PropertyBag::fromBytes(const QByteArray& bytes, int expectedMajor, int expectedMinor,
                                   LoadResult* result)
{
    auto give = [&](LoadResult r, PropertyBag bag) {
        if (result != nullptr)
            *result = r;
        return bag;
    };
    const PropertyBag empty(expectedMajor, expectedMinor);
    if (bytes.isEmpty())
        return give(LoadResult::Empty, empty);

    QDataStream s(bytes);
    s.setVersion(kStreamVersion);
    quint32 magic = 0, length = 0;
    quint16 major = 0, minor = 0;
    s >> magic >> major >> minor >> length;
    if (s.status() != QDataStream::Ok || magic != kMagic)
        return give(LoadResult::Damaged, empty);
    const qint64 headerSize = 4 + 2 + 2 + 4 + kDigestSize;
    if (qint64(length) != qint64(bytes.size()) - headerSize)
        return give(LoadResult::Damaged, empty);
    const QByteArray digest = bytes.mid(headerSize - kDigestSize, kDigestSize);
    const QByteArray payload = bytes.mid(headerSize);
    if (digest != digestOf(payload))
        return give(LoadResult::Damaged, empty);
    if (major != expectedMajor || minor != expectedMinor)
        return give(LoadResult::OtherVersion, empty);

    QDataStream ps(payload);
    ps.setVersion(kStreamVersion);
    quint32 count = 0;
    ps >> count;
    if (ps.status() != QDataStream::Ok || count > kMaxEntries)
        return give(LoadResult::Damaged, empty);
    PropertyBag bag(expectedMajor, expectedMinor);
    for (quint32 i = 0; i < count; ++i) {
        QString name;
        QVariant value;
        ps >> name >> value;
        if (ps.status() != QDataStream::Ok)
            return give(LoadResult::Damaged, empty);
        bag.setValue(name, value);
    }
    if (!ps.atEnd())
        return give(LoadResult::Damaged, empty);
    return give(LoadResult::Ok, bag);
}

PropertyExchange PropertyExchange::saving(PropertyBag& bag)
{
    return PropertyExchange(&bag, nullptr, false);
}

PropertyExchange PropertyExchange::loading(const PropertyBag& bag)
{
    return PropertyExchange(nullptr, &bag, true);
}

} // namespace gw
