#pragma once
// The contract every control library follows so that a host can create its controls by
// class identifier without linking to it: two C entry points, found with dlopen.
//
//   gwControlClassIds()            null-terminated list of the class identifiers it provides
//   gwCreateControl(id, parent)    a new control of that class, or nullptr for a foreign id
//
// A library with one control class writes GW_CONTROL_LIBRARY("Lib.Class.1", WidgetClass)
// in one of its source files.

#include <QtCore/qglobal.h>

class QWidget;

#define GW_CONTROL_EXPORT Q_DECL_EXPORT

extern "C" {
using GwCreateControlFn = QWidget* (*)(const char* classId, QWidget* parent);
using GwControlClassIdsFn = const char* const* (*)();
}

#define GW_CONTROL_CREATE_SYMBOL "gwCreateControl"
#define GW_CONTROL_CLASS_IDS_SYMBOL "gwControlClassIds"

// Class identifiers compare without regard to case, as registered identifiers always have.
#define GW_CONTROL_LIBRARY(CLASS_ID, WIDGET_CLASS)                                           \
    extern "C" GW_CONTROL_EXPORT const char* const* gwControlClassIds()                      \
    {                                                                                        \
        static const char* const ids[] = {CLASS_ID, nullptr};                                \
        return ids;                                                                          \
    }                                                                                        \
    extern "C" GW_CONTROL_EXPORT QWidget* gwCreateControl(const char* classId,               \
                                                          QWidget* parent)                   \
    {                                                                                        \
        if (classId == nullptr || qstricmp(classId, CLASS_ID) != 0)                          \
            return nullptr;                                                                  \
        return new WIDGET_CLASS(parent);                                                     \
    }
