#include "decoder.h"

#include "instance.h"

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
