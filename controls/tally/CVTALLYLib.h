#pragma once

#include <QObject>

// Enumerations of the control's type library.
namespace CVTALLYLib {
Q_NAMESPACE

enum enumBorder { BorderRegular = 0, BorderNone = 1, BorderRaised = 2, BorderLowered = 3 };
Q_ENUM_NS(enumBorder)

enum enumFunctions { Function0 = 0, Function1 = 1, Function2 = 2 };
Q_ENUM_NS(enumFunctions)

} // namespace CVTALLYLib
