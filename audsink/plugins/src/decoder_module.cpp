#include "decoder_plugins/decoder_module.h"

#include "platform/dynload.h"

#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>

namespace decoder_plugins {
namespace {

struct LoadedDecoder {
    platform::DynamicLibrary library;
    DecoderEntries entries;
};

DecoderEntries resolve(platform::DynamicLibrary& library)
{
    DecoderEntries e;
    e.version = library.entry<dw_version_fn>(DW_ENTRY_VERSION);
    e.credit = library.entry<dw_credit_fn>(DW_ENTRY_CREDIT);
    e.pcmCount = library.entry<dw_pcmcount_fn>(DW_ENTRY_PCMCOUNT);
    e.textCount = library.entry<dw_pcmtextcount_fn>(DW_ENTRY_PCMTEXTCOUNT);
    e.text = library.entry<dw_pcmtext_fn>(DW_ENTRY_PCMTEXT);
    e.textLanguage = library.entry<dw_pcmtext_fn>(DW_ENTRY_PCMTEXTLANG);
    e.textCharset = library.entry<dw_pcmtext_fn>(DW_ENTRY_PCMTEXTCSET);
    if (!e.textCharset) e.textCharset = library.entry<dw_pcmtext_fn>(DW_ENTRY_PCMTEXTCS);
    e.enumTexts = library.entry<dw_enumpcmtext_fn>(DW_ENTRY_ENUMPCMTEXT);
    e.open = library.entry<dw_open_fn>(DW_ENTRY_OPEN);
    e.decode = library.entry<dw_decode_fn>(DW_ENTRY_DECODE);
    e.isEnd = library.entry<dw_isend_fn>(DW_ENTRY_ISEND);
    e.close = library.entry<dw_close_fn>(DW_ENTRY_CLOSE);
    e.switchTo = library.entry<dw_switch_fn>(DW_ENTRY_SWITCH);
    e.setPosition = library.entry<dw_setpos_fn>(DW_ENTRY_SETPOS);
    e.getPosition = library.entry<dw_getpos_fn>(DW_ENTRY_GETPOS);
    e.setEnd = library.entry<dw_setend_fn>(DW_ENTRY_SETEND);
    e.setLoop = library.entry<dw_setloop_fn>(DW_ENTRY_SETLOOP);
    return e;
}

bool isFile(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

} // namespace

std::string locateDecoder(const std::string& name)
{
    if (name.empty()) return {};
    if (name.front() == '/') return name;
    if (name.find('/') != std::string::npos) return {};
    const std::string folders[] = {
        platform::programFolder(),
#ifdef ZEM_PLUGIN_DIR
        ZEM_PLUGIN_DIR,
#endif
    };
    for (const std::string& folder : folders) {
        if (folder.empty() || folder.front() != '/') continue;
        const std::string path = folder + "/" + name;
        if (isFile(path)) return path;
    }
    return {};
}

bool isAcceptedVersion(uint32_t version)
{
    return (version >> 24) == 0 && (version & 0xFFFFFFu) <= DW_HOST_MAX_VERSION;
}

const DecoderEntries* loadDecoder(const std::string& name, std::string* error)
{
    static std::mutex lock;
    static std::map<std::string, std::unique_ptr<LoadedDecoder>> loaded;
    const auto fail = [&](const std::string& why) -> const DecoderEntries* {
        if (error) *error = why;
        return nullptr;
    };
    const std::string path = locateDecoder(name);
    if (path.empty()) return fail("no decoder " + name + " beside the program or in the plug-in folder");
    std::lock_guard guard(lock);
    if (auto found = loaded.find(path); found != loaded.end()) return &found->second->entries;
    auto decoder = std::make_unique<LoadedDecoder>();
    decoder->library = platform::DynamicLibrary(path, platform::DynamicLibrary::Lifetime::Process);
    if (!decoder->library.isLoaded()) return fail(decoder->library.error());
    decoder->entries = resolve(decoder->library);
    if (!decoder->entries.version) return fail(name + " is not a decoder");
    if (!isAcceptedVersion(decoder->entries.version())) return fail(name + " is too new");
    return &loaded.emplace(path, std::move(decoder)).first->second->entries;
}

} // namespace decoder_plugins
