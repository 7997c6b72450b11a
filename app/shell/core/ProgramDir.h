#pragma once
// Where the program's files live. The executable's folder when it holds "gw2.mdb" (the
// build's portable layout); otherwise, for an installed program (<exe>/../share/gavelwise
// exists), a per-user data folder seeded on first start by copying that share folder.

#include <QString>

namespace gw {

// Cuts one trailing "\" or "/" ("C:\" -> "C:", "/" -> "").
QString cutTrailingSeparator(const QString& folder);

// $XDG_DATA_HOME/gavelwise (an absolute XDG_DATA_HOME only), else ~/.local/share/gavelwise.
QString userDataFolder();

// The program folder for an executable in `exeFolder`, seeding `userFolder` from
// `shareFolder` when that is how the program is installed. Never ends in a separator.
QString resolveProgramDir(const QString& exeFolder, const QString& shareFolder, const QString& userFolder);

// The same for the running executable (QCoreApplication must exist).
QString resolveProgramDir();

} // namespace gw
