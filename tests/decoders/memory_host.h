// A decoder host table over in-memory files, counting blocks and handles so
// tests can see leaks.
#pragma once

#include "qzdecoder.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class MemoryHost {
public:
    MemoryHost();
    MemoryHost(const MemoryHost&) = delete;
    MemoryHost& operator=(const MemoryHost&) = delete;

    const dw_host* table() const { return &slots_.table; }

    void addFile(const std::string& name, std::vector<uint8_t> bytes);
    size_t liveBlocks() const { return blocks_.size(); }
    size_t openHandles() const;
    // Every read from now on fails (a file that shrank under the decoder).
    void failReads(bool fail) { failReads_ = fail; }

private:
    struct Slots {
        dw_host table; // first, so the table's address is the slots' address
        MemoryHost* owner;
    };
    struct OpenFile {
        const std::vector<uint8_t>* bytes = nullptr;
        uint64_t position = 0;
        bool isOpen = false;
    };

    static MemoryHost& ownerOf(const dw_host* host);
    static void* alloc(const dw_host* host, size_t size);
    static void release(const dw_host* host, void* block);
    static intptr_t open(const dw_host* host, const char* name, uint32_t mode);
    static intptr_t invalidHandle(const dw_host* host);
    static int isInvalid(const dw_host* host, intptr_t handle);
    static void close(const dw_host* host, intptr_t handle);
    static int64_t seek(const dw_host* host, intptr_t handle, uint32_t low, uint32_t high, uint32_t origin);
    static int64_t read(const dw_host* host, intptr_t handle, void* buffer, intptr_t length, uint32_t flag);
    static int64_t write(const dw_host* host, intptr_t handle, const void* buffer, intptr_t length, uint32_t flag);

    OpenFile* fileOf(intptr_t handle);

    Slots slots_;
    std::map<std::string, std::vector<uint8_t>> files_;
    std::vector<OpenFile> handles_;
    std::set<void*> blocks_;
    bool failReads_ = false;
};
