#include "ProgramValues.h"

#include <QDir>

namespace gw {

QString ProgramValues::programFile(const QString& name) const
{
    return ProgramDir + QDir::separator() + name;
}

ProgramValues& values()
{
    static ProgramValues v;
    return v;
}

} // namespace gw
