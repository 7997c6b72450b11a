#pragma once
// Creates controls by class identifier from the control libraries of the program folder.
//
// Libraries are looked for in the folders of the environment variable GW_CONTROL_PATH
// (separated like PATH; tests use it), then the executable's folder, then ../lib beside
// it (installed layout). Only files that carry the export contract of ControlExport.h
// are ever loaded, so other libraries of the program folder stay untouched.

#include <QString>
#include <QStringList>

class QWidget;

namespace gw {

class ControlFactory {
public:
    // A new control of that class with the given parent; nullptr and a readable text in
    // *error (when given) if no library provides the class or the library refuses.
    static QWidget* create(const QString& classId, QWidget* parent, QString* error = nullptr);

    // Every class identifier found, as the libraries spell them.
    static QStringList classIds();
    // The library file that provides a class, or empty.
    static QString libraryFor(const QString& classId);

    static QStringList searchFolders();
    // Forgets what was found, so that the next call looks at the folders again.
    static void rescan();
};

} // namespace gw
