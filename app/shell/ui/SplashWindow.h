#pragma once
// The splash window shown while the program starts: no border buttons, not in the task bar.

#include <QWidget>

namespace gw {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(const QString& versionLine, const QString& logoPath = QString());
    // Shows it centred on the screen and paints it at once.
    void showNow();
};

} // namespace gw
