#include "decoder.h"

#include "instance.h"

#include <cstring>

namespace audsink {
namespace {

Instance& owner(const dw_host* host) { return *reinterpret_cast<const HostTable*>(host)->instance; }

void* hostAllocate(const dw_host* host, size_t size)
{
    Instance& i = owner(host);
    return i.utility.allocate(i.user, size);
}

void hostFree(const dw_host* host, void* block)
{
    Instance& i = owner(host);
    if (block) i.utility.free(i.user, block);
}

intptr_t hostOpen(const dw_host* host, const char* name, uint32_t mode)
{
    Instance& i = owner(host);
    return i.utility.open(i.user, name, mode);
}

intptr_t hostInvalid(const dw_host* host)
{
    Instance& i = owner(host);
    return i.utility.invalid_handle(i.user);
}

int hostIsInvalid(const dw_host* host, intptr_t handle)
{
    Instance& i = owner(host);
    return i.utility.is_invalid(i.user, handle);
}

void hostClose(const dw_host* host, intptr_t handle)
{
    Instance& i = owner(host);
    i.utility.close(i.user, handle);
}

int64_t hostSeek(const dw_host* host, intptr_t handle, uint32_t low, uint32_t high, uint32_t origin)
{
    Instance& i = owner(host);
    return i.utility.seek(i.user, handle, low, high, origin);
}

int64_t hostRead(const dw_host* host, intptr_t handle, void* buffer, intptr_t length, uint32_t flag)
{
    Instance& i = owner(host);
    return i.utility.read(i.user, handle, buffer, length, flag);
}

int64_t hostWrite(const dw_host* host, intptr_t handle, const void* buffer, intptr_t length, uint32_t flag)
{
    Instance& i = owner(host);
    return i.utility.write(i.user, handle, buffer, length, flag);
}

} // namespace

void fillHostTable(HostTable& host, Instance& instance)
{
    host.table = {&hostAllocate, &hostFree, &hostOpen, &hostInvalid, &hostIsInvalid,
                  &hostClose,    &hostSeek, &hostRead, &hostWrite};
    host.instance = &instance;
}

bool isAcceptedDecoderVersion(uint32_t version)
{
    return (version >> 24) == 0 && (version & 0xFFFFFFu) <= DS8_DECODER_MAX_VERSION;
}

bool loadDecoder(Instance& instance, const char* name, Decoder& decoder)
{
    if (!name || !*name) return false;
    std::lock_guard loading(instance.loaderLock);
    decoder.library = platform::DynamicLibrary(name);
#ifdef ZEM_PLUGIN_DIR
    // Installed, the plug-ins sit in a folder of their own.
    if (!decoder.library.isLoaded() && !std::strchr(name, '/'))
        decoder.library = platform::DynamicLibrary(std::string(ZEM_PLUGIN_DIR) + "/" + name);
#endif
    if (!decoder.library.isLoaded()) return false;
    auto version = decoder.library.entry<dw_version_fn>(DW_ENTRY_VERSION);
    if (!version || !isAcceptedDecoderVersion(version())) {
        decoder.library.close();
        return false;
    }
    return true;
}

bool resolveEntries(Decoder& decoder, bool needIsEnd)
{
    decoder.open = decoder.entry<dw_open_fn>(DW_ENTRY_OPEN);
    decoder.decode = decoder.entry<dw_decode_fn>(DW_ENTRY_DECODE);
    decoder.isEnd = decoder.entry<dw_isend_fn>(DW_ENTRY_ISEND);
    decoder.close = decoder.entry<dw_close_fn>(DW_ENTRY_CLOSE);
    decoder.switchTo = decoder.entry<dw_switch_fn>(DW_ENTRY_SWITCH);
    decoder.setPosition = decoder.entry<dw_setpos_fn>(DW_ENTRY_SETPOS);
    decoder.getPosition = decoder.entry<dw_getpos_fn>(DW_ENTRY_GETPOS);
    decoder.setEnd = decoder.entry<dw_setend_fn>(DW_ENTRY_SETEND);
    decoder.setLoop = decoder.entry<dw_setloop_fn>(DW_ENTRY_SETLOOP);
    return decoder.open && decoder.decode && decoder.close && (decoder.isEnd || !needIsEnd);
}

void unloadDecoder(Instance& instance, Decoder& decoder)
{
    if (!decoder.isLoaded()) return;
    std::lock_guard loading(instance.loaderLock);
    decoder = Decoder{};
}

} // namespace audsink
