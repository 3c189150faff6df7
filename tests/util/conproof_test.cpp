// The reserved-device check with both separators.
#include "util/fileset.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ConProof, HitsAndMisses)
{
    struct PathCase {
        const char* path;
        bool hit;
    };
    const PathCase cases[] = {
        {"c:\\music\\con.kvt", true},
        {"c:\\music\\aux", true},
        {"c:\\music\\console.kvt", false},
        {"/music/con.kvt", true},
        {"/music/aux", true},
        {"/music/console.kvt", false},
        {"/music/Nul/song.kvt", true},
        {"\\music\\prn\\x", true},
        {"/music/lpt0.zem", true},
        {"/music/LPT9", true},
        {"/music/lpt10", false},
        {"/music/com1.mid", true},
        {"/music/com", false},
        {"/music/acon.kvt", false},
        {"/music/con_x.kvt", false},
        {"/music/song$", true},
        {"/music/$song", true},
        {"/music$/song", true},
        {"/music/so$.kvt", true},
        {"/music/so$ng.kvt", false},
        {"/music/xxxx0.kvt", true},
        {"/music/axxxx0/song", true},
        {"/music/xxxx0", true},
        {"/music/xxxx1", false},
        {"/mixed\\CoN.txt", true},
        {"\\con", true},
        {"/con", true},
        // Shorter than any pattern, or no separator in front.
        {"con", false},
        {"aux.kvt", false},
        {"", false},
        {"/", false},
        {"$", true},
        {"x", false},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(util::conproof_hit(c.path), c.hit) << c.path;
    }
    EXPECT_FALSE(util::conproof_hit(nullptr));
    EXPECT_STREQ(util::kConProofMessage, "CON\\CON-Proof affected.");
}

TEST(ConProof, EveryDeviceDigit)
{
    for (const char* device : {"LPT", "COM"}) {
        for (char digit = '0'; digit <= '9'; ++digit) {
            std::string name = std::string(device) + digit;
            EXPECT_TRUE(util::conproof_hit(("/a/" + name).c_str())) << name;
            EXPECT_TRUE(util::conproof_hit(("\\a\\" + name + ".x").c_str())) << name;
            EXPECT_TRUE(util::conproof_hit(("/a/" + name + "/b").c_str())) << name;
            EXPECT_FALSE(util::conproof_hit(("/a/" + name + "x").c_str())) << name;
        }
    }
}

} // namespace
