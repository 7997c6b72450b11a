#pragma once
// The main window's frame: caption of the current view, the "Item:" n "of" m counters, the
// toolbar and the close handling that runs the program's close sequence.

#include <QMainWindow>

#include <functional>

class QLabel;
class QToolBar;

namespace gw {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Designed size in twips.
    static constexpr double DesignedWidthTwips = 11880;
    static constexpr double DesignedHeightTwips = 5385;

    MainWindow();

    void setViewCaption(const QString& caption);
    void setCounters(const QString& position, const QString& total);
    QString positionText() const;
    QString totalText() const;

    double twipsPerPixel() const;
    double widthTwips() const;
    double heightTwips() const;
    void setWidthTwips(double twips);
    void setHeightTwips(double twips);

    // Hides the "SpellCheck" and "Find" buttons and the separator in front of them.
    void hideSmallScreenButtons();
    QToolBar* toolBar() const { return toolBar_; }

    // Run once when the window is closed by any means, before it closes.
    void setCloseHandler(std::function<void()> handler) { onClose_ = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addButton(const QString& key, const QString& toolTip);

    QToolBar* toolBar_ = nullptr;
    QLabel* position_ = nullptr;
    QLabel* total_ = nullptr;
    QAction* spellSeparator_ = nullptr;
    std::function<void()> onClose_;
    bool closing_ = false;
};

} // namespace gw
