#pragma once
// The per-user settings store: application key -> section -> key -> text.
// Section and key names match without regard to case. A key never written is absent and
// reads as the caller's default; a key holding "" is present and reads as "".
// Every write replaces the file atomically (temp file, flush, rename), mode 0600.

#include <QString>

#include <functional>
#include <memory>

namespace gw {

class SettingsStore {
public:
    // The store file at `path`. Missing file = empty store.
    explicit SettingsStore(QString path);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // $GW_SETTINGS_FILE when set (tests), else $XDG_CONFIG_HOME/gavelwise/settings.ini
    // (XDG default ~/.config).
    static QString defaultPath();

    const QString& path() const;

    QString read(const QString& app, const QString& section, const QString& key,
                 const QString& defaultValue) const;
    bool contains(const QString& app, const QString& section, const QString& key) const;
    // Failures are not reported to the caller (as the program expects); they leave the
    // previous file byte-identical. Returns false on failure for tests and logs.
    bool write(const QString& app, const QString& section, const QString& key,
               const QString& value);

    // Test hook: called between writing the temporary file and renaming it; returning
    // false simulates a failure at that point.
    void setWriteFaultHook(std::function<bool()> hook);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The program-wide store (set at start-up or by a test). Until one is set, settings() is a
// store on defaultPath().
SettingsStore& settings();
void setSettings(SettingsStore* store);
SettingsStore* installedSettings(); // the store set with setSettings(), or nullptr

} // namespace gw
