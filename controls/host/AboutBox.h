#pragma once
// The about box of a control: its name and version and a line of further text. The page
// serves as the about tab of the property dialog; the dialog is the AboutBox method.

#include <QString>

class QDialog;
class QWidget;

namespace gw {

struct AboutInfo {
    QString controlName; // "cvStretch"
    QString version;     // "1.0"
    QString text;        // further text, may be empty
};

QWidget* createAboutPage(const AboutInfo& info, QWidget* parent = nullptr);
// A modal dialog captioned "About " + name, with an OK button; the caller runs it.
QDialog* createAboutDialog(const AboutInfo& info, QWidget* parent = nullptr);
// Runs the dialog and deletes it afterwards.
void showAboutBox(const AboutInfo& info, QWidget* parent = nullptr);

} // namespace gw
