#include "memory_host.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

MemoryHost::MemoryHost()
{
    slots_.table = dw_host{&alloc, &release, &open, &invalidHandle, &isInvalid, &close, &seek, &read, &write};
    slots_.owner = this;
}

void MemoryHost::addFile(const std::string& name, std::vector<uint8_t> bytes) { files_[name] = std::move(bytes); }

size_t MemoryHost::openHandles() const
{
    size_t count = 0;
    for (const auto& file : handles_) count += file.isOpen ? 1 : 0;
    return count;
}

MemoryHost& MemoryHost::ownerOf(const dw_host* host) { return *reinterpret_cast<const Slots*>(host)->owner; }

MemoryHost::OpenFile* MemoryHost::fileOf(intptr_t handle)
{
    if (handle < 0 || static_cast<size_t>(handle) >= handles_.size() || !handles_[handle].isOpen) return nullptr;
    return &handles_[handle];
}

void* MemoryHost::alloc(const dw_host* host, size_t size)
{
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block) ownerOf(host).blocks_.insert(block);
    return block;
}

void MemoryHost::release(const dw_host* host, void* block)
{
    if (!block) return;
    ownerOf(host).blocks_.erase(block);
    std::free(block);
}

intptr_t MemoryHost::open(const dw_host* host, const char* name, uint32_t mode)
{
    MemoryHost& self = ownerOf(host);
    auto found = self.files_.find(name ? name : "");
    if (found == self.files_.end() || (mode & 3u) != DW_OPEN_READ) return -1;
    self.handles_.push_back(OpenFile{&found->second, 0, true});
    return static_cast<intptr_t>(self.handles_.size() - 1);
}

intptr_t MemoryHost::invalidHandle(const dw_host*) { return -1; }

int MemoryHost::isInvalid(const dw_host* host, intptr_t handle) { return ownerOf(host).fileOf(handle) == nullptr; }

void MemoryHost::close(const dw_host* host, intptr_t handle)
{
    if (OpenFile* file = ownerOf(host).fileOf(handle)) file->isOpen = false;
}

int64_t MemoryHost::seek(const dw_host* host, intptr_t handle, uint32_t low, uint32_t high, uint32_t origin)
{
    OpenFile* file = ownerOf(host).fileOf(handle);
    if (!file) return -1;
    auto offset = static_cast<int64_t>(uint64_t{high} << 32 | low);
    int64_t from = origin == DW_SEEK_START     ? 0
                   : origin == DW_SEEK_CURRENT ? static_cast<int64_t>(file->position)
                                               : static_cast<int64_t>(file->bytes->size());
    if (from + offset < 0) return -1;
    file->position = static_cast<uint64_t>(from + offset);
    return static_cast<int64_t>(file->position);
}

int64_t MemoryHost::read(const dw_host* host, intptr_t handle, void* buffer, intptr_t length, uint32_t flag)
{
    MemoryHost& self = ownerOf(host);
    OpenFile* file = self.fileOf(handle);
    if (!file || flag != 0 || length < 0 || self.failReads_) return 0;
    uint64_t size = file->bytes->size();
    uint64_t count = file->position >= size ? 0
                                            : std::min<uint64_t>(static_cast<uint64_t>(length), size - file->position);
    if (count > 0) std::memcpy(buffer, file->bytes->data() + file->position, count);
    file->position += count;
    return static_cast<int64_t>(count);
}

int64_t MemoryHost::write(const dw_host*, intptr_t, const void*, intptr_t, uint32_t)
{
    return 0; // in-memory files are read-only
}
