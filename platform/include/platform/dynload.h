// Run-time loading of shared modules (plug-ins) by name.
//
// A name without "/" is looked for in the running program's folder first,
// then by the system's library search; a name with "/" is used as given.
#pragma once

#include <string>

namespace platform {

class DynamicLibrary {
public:
    // Unloading at close, or keeping the code mapped until the process ends
    // (for libraries that hold blocks or threads for their whole lifetime).
    enum class Lifetime { UntilClose, Process };

    DynamicLibrary() = default;
    // Loads name; check isLoaded() and error() afterwards.
    explicit DynamicLibrary(const std::string& name, Lifetime lifetime = Lifetime::UntilClose);
    ~DynamicLibrary();

    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    bool isLoaded() const { return handle_ != nullptr; }
    // The loader's message after a failed load or lookup.
    const std::string& error() const { return error_; }

    // Address of an exported entry, or null when it is missing.
    void* symbol(const char* name);

    // Typed form: entry<int (*)(int)>("name").
    template <typename Function> Function entry(const char* name) { return reinterpret_cast<Function>(symbol(name)); }

    // Unloads now; the object may be reused by assigning another library.
    void close();

private:
    void* handle_ = nullptr;
    std::string error_;
};

// The folder of the running program, without a trailing "/"; empty when
// the system cannot tell.
std::string programFolder();

// The folder of the loaded program or module that contains address (a
// function or object of it), without a trailing "/"; empty when unknown.
// Modules use it to find their companions wherever they were loaded from.
std::string moduleFolder(const void* address);

} // namespace platform
