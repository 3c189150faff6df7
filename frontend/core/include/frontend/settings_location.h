// Where the player keeps zemfe.ini.  An installed program's folder is not
// writable, so the file lives in the user's configuration folder unless the
// environment names a folder or a portable copy sits beside the program.
#pragma once

#include <string>

namespace frontend {

inline constexpr const char* kSettingsFileName = "zemfe.ini";

// The folder of zemfe.ini, the first of: ZEMFE_CONFIG_DIR when set and not
// empty; programFolder when a writable zemfe.ini is already there;
// $XDG_CONFIG_HOME/zem when XDG_CONFIG_HOME is an absolute path, else
// $HOME/.config/zem (created when missing, readable by the user alone).
std::string settingsFolder(const std::string& programFolder);

// chosenFolder + "/zemfe.ini", or settingsFolder(programFolder) +
// "/zemfe.ini" when chosenFolder is empty.
std::string settingsPath(const std::string& programFolder, const std::string& chosenFolder = {});

} // namespace frontend
