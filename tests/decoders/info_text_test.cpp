// The INFO list texts, all of them or one by selector.
#include "memory_host.h"
#include "qzwav_module.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Relay {
    std::vector<std::string> texts;
    int stopAfter = -1; // stop after this many texts; -1 never
    bool sawLanguageOrCharset = false;

    static int call(void* context, const char* text, const char* language, const char* charset)
    {
        auto& self = *static_cast<Relay*>(context);
        self.texts.emplace_back(text);
        self.sawLanguageOrCharset |= language != nullptr || charset != nullptr;
        return static_cast<int>(self.texts.size()) == self.stopAfter ? 0 : 1;
    }
};

Bytes taggedFile()
{
    Bytes fmt = formatBody(1, 1, 8000, 2, 16);
    Bytes other{'a', 'd', 't', 'l'};
    return riffFile({{"fmt ", fmt},
                     {"LIST", other},
                     {"data", Bytes(8, 0)},
                     {"LIST", chunkList("INFO", {{"INAM", textBody("Song")},
                                                 {"IID3", Bytes(7, 0)},
                                                 {"ICOP", textBody("(c) Us")},
                                                 {"IPRD", Bytes{'A', 'l', 'b'}}, // odd, no terminator
                                                 {"IART", textBody("Band")},
                                                 {"ICRD", textBody("2024")},
                                                 {"ICMT", textBody("note")},
                                                 {"IGNR", textBody("Pop")},
                                                 {"ISBJ", textBody("Things")}})},
                     {"zzzz", Bytes(3, 1)}});
}

std::vector<std::string> listTexts(const Bytes& file, intptr_t which, int stopAfter = -1)
{
    MemoryHost host;
    host.addFile("t.wav", file);
    Relay relay;
    relay.stopAfter = stopAfter;
    QzwavModule::get().enumTexts(host.table(), "t.wav", 0, which, &Relay::call, &relay);
    EXPECT_FALSE(relay.sawLanguageOrCharset);
    EXPECT_EQ(host.liveBlocks(), 0u);
    EXPECT_EQ(host.openHandles(), 0u);
    return relay.texts;
}

TEST(InfoTexts, EachSelectorPassesItsBareText)
{
    struct SelectorCase {
        intptr_t selector;
        std::vector<std::string> texts;
    };
    const SelectorCase cases[] = {
        {DW_TEXT_TITLE, {"Song"}},  {DW_TEXT_RIGHTS, {"(c) Us"}},  {DW_TEXT_PRODUCT, {"Alb"}},
        {DW_TEXT_ARTIST, {"Band"}}, {DW_TEXT_DATE, {"2024"}},      {-6, {}},
        {DW_TEXT_GENRE, {"Pop"}},   {DW_TEXT_SUBJECT, {"Things"}}, {-9, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selector);
        EXPECT_EQ(listTexts(taggedFile(), c.selector), c.texts);
    }
}

TEST(InfoTexts, NonNegativeSelectorListsEveryTextButId3WithItsId)
{
    const std::vector<std::string> all = {"INAM: Song", "ICOP: (c) Us", "IPRD: Alb", "IART: Band",
                                          "ICRD: 2024", "ICMT: note",   "IGNR: Pop", "ISBJ: Things"};
    EXPECT_EQ(listTexts(taggedFile(), 0), all);
    EXPECT_EQ(listTexts(taggedFile(), 5), all);
}

TEST(InfoTexts, RelayStopsTheListing)
{
    EXPECT_EQ(listTexts(taggedFile(), 0, 2), (std::vector<std::string>{"INAM: Song", "ICOP: (c) Us"}));
}

TEST(InfoTexts, DamagedOrMissingListsGiveWhatIsReadable)
{
    Bytes fmt = formatBody(1, 1, 8000, 2, 16);
    Bytes shortList = riffFile({{"fmt ", fmt}, {"data", Bytes(2, 0)}, {"LIST", Bytes{'I', 'N', 'F', 'O'}}});
    Bytes list = chunkList("INFO", {{"INAM", textBody("One")}, {"IART", textBody("Two")}});
    // The list claims fewer bytes than its second entry needs: the listing
    // ends with the list.
    Bytes clippedFile = riffFile({{"fmt ", fmt}, {"data", Bytes(2, 0)}, {"LIST", list}});
    const size_t listSizeAt = clippedFile.size() - list.size() - 4;
    dw_put_le32(&clippedFile[listSizeAt], static_cast<uint32_t>(list.size() - 4));
    Bytes cutInside = riffFile({{"fmt ", fmt}, {"data", Bytes(2, 0)}, {"LIST", list}});
    cutInside.resize(cutInside.size() - 3);

    struct DamageCase {
        const char* name;
        Bytes file;
        std::vector<std::string> texts;
    };
    const DamageCase cases[] = {
        {"no LIST", riffFile({{"fmt ", fmt}, {"data", Bytes(2, 0)}}), {}},
        {"LIST shorter than 12 bytes", shortList, {}},
        {"entry runs past the list", clippedFile, {"INAM: One"}},
        {"file ends inside an entry", cutInside, {}},
        {"not a WAVE file", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}, {}},
        {"128-byte header",
         [&] {
             Bytes f = riffFile({{"fmt ", fmt}, {"LIST", list}, {"data", Bytes(2, 0)}});
             f.insert(f.begin(), 128, 0);
             return f;
         }(),
         {"INAM: One", "IART: Two"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(listTexts(c.file, 0), c.texts);
    }
}

TEST(InfoTexts, WithoutRelayOrFileNothingHappens)
{
    MemoryHost host;
    host.addFile("t.wav", taggedFile());
    const QzwavModule& m = QzwavModule::get();
    m.enumTexts(host.table(), "t.wav", 0, 0, nullptr, nullptr);
    Relay relay;
    m.enumTexts(host.table(), "absent.wav", 0, 0, &Relay::call, &relay);
    EXPECT_TRUE(relay.texts.empty());
    EXPECT_EQ(host.openHandles(), 0u);
}

} // namespace
