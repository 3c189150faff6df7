#include "frontend/settings_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace frontend {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The XDG base directory rules: a relative XDG_CONFIG_HOME is ignored.
std::string userConfigFolder()
{
    const std::string configured = environment("XDG_CONFIG_HOME");
    const std::string base = !configured.empty() && configured.front() == '/' ? configured
                                                                              : environment("HOME") + "/.config";
    const std::string folder = base + "/zem";
    std::error_code ignored;
    if (std::filesystem::create_directories(folder, ignored)) ::chmod(folder.c_str(), 0700);
    return folder;
}

} // namespace

std::string settingsFolder(const std::string& programFolder)
{
    const std::string configured = environment("ZEMFE_CONFIG_DIR");
    if (!configured.empty()) return configured;
    const std::string beside = programFolder + "/" + kSettingsFileName;
    if (!programFolder.empty() && ::access(beside.c_str(), W_OK) == 0) return programFolder;
    return userConfigFolder();
}

std::string settingsPath(const std::string& programFolder, const std::string& chosenFolder)
{
    return (chosenFolder.empty() ? settingsFolder(programFolder) : chosenFolder) + "/" + kSettingsFileName;
}

} // namespace frontend
