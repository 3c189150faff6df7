#include "decoder.h"

namespace audsink {
namespace {

const HostTable& tableOf(const dw_host* host) { return *reinterpret_cast<const HostTable*>(host); }

void* hostAllocate(const dw_host* host, size_t size)
{
    const HostTable& h = tableOf(host);
    return h.utility->allocate(h.user, size);
}

void hostFree(const dw_host* host, void* block)
{
    const HostTable& h = tableOf(host);
    if (block) h.utility->free(h.user, block);
}

intptr_t hostOpen(const dw_host* host, const char* name, uint32_t mode)
{
    const HostTable& h = tableOf(host);
    return h.utility->open(h.user, name, mode);
}

intptr_t hostInvalid(const dw_host* host)
{
    const HostTable& h = tableOf(host);
    return h.utility->invalid_handle(h.user);
}

int hostIsInvalid(const dw_host* host, intptr_t handle)
{
    const HostTable& h = tableOf(host);
    return h.utility->is_invalid(h.user, handle);
}

void hostClose(const dw_host* host, intptr_t handle)
{
    const HostTable& h = tableOf(host);
    h.utility->close(h.user, handle);
}

int64_t hostSeek(const dw_host* host, intptr_t handle, uint32_t low, uint32_t high, uint32_t origin)
{
    const HostTable& h = tableOf(host);
    return h.utility->seek(h.user, handle, low, high, origin);
}

int64_t hostRead(const dw_host* host, intptr_t handle, void* buffer, intptr_t length, uint32_t flag)
{
    const HostTable& h = tableOf(host);
    return h.utility->read(h.user, handle, buffer, length, flag);
}

int64_t hostWrite(const dw_host* host, intptr_t handle, const void* buffer, intptr_t length, uint32_t flag)
{
    const HostTable& h = tableOf(host);
    return h.utility->write(h.user, handle, buffer, length, flag);
}

} // namespace

void fillHostTable(HostTable& host, const ds8_utility& utility, void* user)
{
    host.table = {&hostAllocate, &hostFree, &hostOpen, &hostInvalid, &hostIsInvalid,
                  &hostClose,    &hostSeek, &hostRead, &hostWrite};
    host.utility = &utility;
    host.user = user;
}

const decoder_plugins::DecoderEntries* findDecoder(const char* name)
{
    return name && *name ? decoder_plugins::loadDecoder(name) : nullptr;
}

bool loadDecoder(const char* name, Decoder& decoder)
{
    decoder = Decoder{};
    decoder.module = findDecoder(name);
    return decoder.module != nullptr;
}

bool resolveEntries(Decoder& decoder, bool needIsEnd)
{
    if (!decoder.module) return false;
    static_cast<decoder_plugins::DecodingEntries&>(decoder) = *decoder.module;
    return decoder.open && decoder.decode && decoder.close && (decoder.isEnd || !needIsEnd);
}

void releaseDecoder(Decoder& decoder) { decoder = Decoder{}; }

} // namespace audsink
