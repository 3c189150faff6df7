// Where zemfe.ini is kept: the folder the environment names, a portable copy
// beside the program, or the user's configuration folder.
#include "frontend/settings_location.h"

#include <temp_dir.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace {

struct LocationCase {
    const char* name;
    const char* configDir;     // ZEMFE_CONFIG_DIR; null: unset; "@" the scratch folder
    const char* xdgConfigHome; // XDG_CONFIG_HOME; null: unset; "@/" prefix the scratch folder
    bool iniBesideProgram;
    const char* expected; // "@" stands for the scratch folder
};

const LocationCase kCases[] = {
    {"environment folder first", "/etc/zem", "@/xdg", true, "/etc/zem"},
    {"empty environment folder is no folder", "", "@/xdg", true, "@/bin"},
    {"portable copy beside the program", nullptr, "@/xdg", true, "@/bin"},
    {"XDG configuration folder", nullptr, "@/xdg", false, "@/xdg/zem"},
    {"relative XDG folder ignored", nullptr, "xdg", false, "@/home/.config/zem"},
    {"no XDG folder: under HOME", nullptr, nullptr, false, "@/home/.config/zem"},
};

std::string expand(const std::string& text, const std::string& scratch)
{
    return !text.empty() && text[0] == '@' ? scratch + text.substr(1) : text;
}

void setOrUnset(const char* name, const char* value, const std::string& scratch)
{
    if (value)
        ::setenv(name, expand(value, scratch).c_str(), 1);
    else
        ::unsetenv(name);
}

TEST(SettingsLocation, FirstOfEnvironmentPortableCopyAndUserFolder)
{
    for (const LocationCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const zem_test::TempDir dir;
        std::filesystem::create_directories(dir.file("bin"));
        if (c.iniBesideProgram) dir.write("bin/zemfe.ini", "");
        setOrUnset("ZEMFE_CONFIG_DIR", c.configDir, dir.path());
        setOrUnset("XDG_CONFIG_HOME", c.xdgConfigHome, dir.path());
        ::setenv("HOME", dir.file("home").c_str(), 1);

        const std::string expected = expand(c.expected, dir.path());
        EXPECT_EQ(frontend::settingsFolder(dir.file("bin")), expected);
        EXPECT_EQ(frontend::settingsPath(dir.file("bin")), expected + "/zemfe.ini");
        // A folder the caller chose wins over every rule.
        EXPECT_EQ(frontend::settingsPath(dir.file("bin"), dir.file("chosen")), dir.file("chosen/zemfe.ini"));
    }
    ::unsetenv("ZEMFE_CONFIG_DIR");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsLocation, UserFolderIsCreatedForTheUserAlone)
{
    const zem_test::TempDir dir;
    ::unsetenv("ZEMFE_CONFIG_DIR");
    ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    ASSERT_EQ(frontend::settingsFolder(dir.file("bin")), dir.file("config/zem"));
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("config/zem").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ::unsetenv("XDG_CONFIG_HOME");
}

} // namespace
