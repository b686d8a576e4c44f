// Helpers of `velmor roster import|template` that the demo shares.
#pragma once

#include <string>

#include "cli/plugin_session.h"

namespace velmor::cli {

// The installed import template of the configured region (velmor init puts them under
// M8/Templates/Import/): the outside-person template, or with `phones` the phone-number one.
// Raises HostError when it is not installed.
std::string InstalledRosterTemplate(PluginSession& session, bool phones);

}  // namespace velmor::cli
