#pragma once
// Operating-system facts the start-up needs: the local time zone and a running copy.

#include "ProgramValues.h"

#include <QString>

namespace gw {

// The local time zone as tzset()/localtime_r() describe it for the current year.
TimeZoneInfo readLocalTimeZone();

// A per-user lock held for the life of the program: one copy at a time.
class InstanceLock {
public:
    // $GW_INSTANCE_LOCK when set (tests); else $XDG_RUNTIME_DIR/gavelwise.lock; else
    // gavelwise.lock beside the settings file.
    static QString defaultPath();

    explicit InstanceLock(QString path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // false when another process (or another InstanceLock) holds it.
    bool acquire();
    bool held() const { return fd_ >= 0; }

private:
    QString path_;
    int fd_ = -1;
};

} // namespace gw
