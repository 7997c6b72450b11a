#include "SettingKeys.h"

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

} // namespace gw
