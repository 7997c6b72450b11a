#pragma once
// Locating, loading and checking encryption plug-ins.
#include <string>

#include "MessageBuffer.h"

namespace qn {

// Folder of the file that holds this code (the driver library, or the
// program it is linked into), without a trailing separator.
std::string driverDirectory();

// The file a plug-in name refers to: a name containing a path separator
// ('/' or '\', the latter turned into '/') as given; any other name in the
// driver's folder. The name is used as written: no extension is added.
std::string pluginPath(const std::string& name);

// Loads the plug-in for one buffer, as at connect: an empty name means none;
// when a name with a separator cannot be loaded, its last part is tried
// through the system's library search. The plug-in is in use only when both
// exports are found; otherwise nothing stays loaded and nothing is reported.
// Any plug-in loaded before is unloaded first. Returns true when in use.
bool loadPlugin(MessageBuffer& buffer, const std::string& name);

// Unloads the buffer's plug-in and clears its entries.
void unloadPlugin(MessageBuffer& buffer);

// The setup check: an empty name passes; otherwise the library must load from
// pluginPath(name) and export both functions. It is released again.
bool checkPlugin(const std::string& name);

}  // namespace qn
