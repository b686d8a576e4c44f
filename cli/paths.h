// Where the command line finds its data directory and the plug-in. Pure lookups of the
// environment and the file system; each raises HostError with a one-line message when it finds
// nothing usable.
#pragma once

#include <string>

namespace velmor::cli {

// --data when given, else $VELMOR_DATA, else $XDG_DATA_HOME/velmor, else ~/.local/share/velmor.
std::string ResolveDataDir(const std::string& given);

// --plugin when given (it must exist), else $VELMOR_PLUGIN, else libVelmorService.so in the
// library folder beside the executable's folder (../lib/ of bin/), in the executable's own folder
// or in ../lib/velmor/.
std::string ResolvePluginPath(const std::string& given);

// The folder holding the running executable ("" when the system cannot tell).
std::string ExecutableDir();

// The data files the project ships (what `velmor init` puts into a data directory): share/velmor
// of an installed tree, else the source tree's data/ of a build tree; "" when neither exists.
std::string ShippedDataDir();

}  // namespace velmor::cli
