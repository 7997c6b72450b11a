#pragma once
// The saved properties of a control: named, typed values in the order the control wrote
// them, under a version number. A control describes its properties once, in one
// exchange function, and PropertyExchange runs it for saving, loading and resetting:
//
//   void exchange(gw::PropertyExchange& px) {
//       px.exchange("BorderType", m_borderType, qint16(0));
//       ...
//   }
//
// A bag of another version, or one that is damaged, reads as empty, so every property
// takes its default.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace gw {

class PropertyBag {
public:
    enum class LoadResult { Ok, Empty, Damaged, OtherVersion };

    explicit PropertyBag(int versionMajor = 1, int versionMinor = 0);

    int versionMajor() const { return m_major; }
    int versionMinor() const { return m_minor; }

    // Replaces a value in place, or appends a new one at the end.
    void setValue(const QString& name, const QVariant& value);
    bool contains(const QString& name) const;
    QVariant value(const QString& name) const;
    QStringList names() const;
    int count() const { return int(m_entries.size()); }

    // The stored value when present with exactly the type T, otherwise the default.
    template <class T>
    T read(const QString& name, const T& defaultValue) const
    {
        const QVariant v = value(name);
        if (v.metaType() == QMetaType::fromType<T>())
            return v.value<T>();
        return defaultValue;
    }

    QByteArray toBytes() const;
    // A bag of exactly the expected version, or an empty one of that version when the
    // bytes are empty, damaged or of another version (result tells which).
    static PropertyBag fromBytes(const QByteArray& bytes, int expectedMajor, int expectedMinor,
                                 LoadResult* result = nullptr);

private:
    struct Entry {
        QString name;
        QVariant value;
    };
    int m_major;
    int m_minor;
    QList<Entry> m_entries;
};

class PropertyExchange {
public:
    static PropertyExchange saving(PropertyBag& bag);
    static PropertyExchange loading(const PropertyBag& bag);

    bool isLoading() const { return m_loading; }

    template <class T>
    void exchange(const QString& name, T& value, const T& defaultValue)
    {
        if (m_loading)
            value = m_in->read<T>(name, defaultValue);
        else
            m_out->setValue(name, QVariant::fromValue(value));
    }

private:
    PropertyExchange(PropertyBag* out, const PropertyBag* in, bool loading)
        : m_out(out), m_in(in), m_loading(loading)
    {
    }
    PropertyBag* m_out;
    const PropertyBag* m_in;
    bool m_loading;
};

} // namespace gw
