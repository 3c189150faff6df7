#include "platform/dynload.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <utility>

namespace platform {

namespace {

std::string lastLoaderError()
{
    const char* message = dlerror();
    return message ? message : "unknown loader error";
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash);
}

} // namespace

std::string programFolder()
{
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    return folderOf(std::string(path, static_cast<size_t>(length)));
}

std::string moduleFolder(const void* address)
{
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname) return {};
    std::string folder = folderOf(info.dli_fname);
    // The main program may be reported by a relative name.
    return !folder.empty() && folder.front() == '/' ? folder : programFolder();
}

DynamicLibrary::DynamicLibrary(const std::string& name, Lifetime lifetime)
{
    const int flags = RTLD_LAZY | RTLD_LOCAL | (lifetime == Lifetime::Process ? RTLD_NODELETE : 0);
    if (name.empty()) {
        error_ = "no library name";
        return;
    }
    if (name.find('/') == std::string::npos) {
        std::string folder = programFolder();
        if (!folder.empty()) {
            std::string local = folder + "/" + name;
            if (access(local.c_str(), F_OK) == 0) handle_ = dlopen(local.c_str(), flags);
        }
    }
    if (!handle_) handle_ = dlopen(name.c_str(), flags);
    if (!handle_) error_ = lastLoaderError();
}

DynamicLibrary::~DynamicLibrary() { close(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_))
{}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

void* DynamicLibrary::symbol(const char* name)
{
    if (!handle_ || !name) return nullptr;
    dlerror();
    void* address = dlsym(handle_, name);
    if (!address) error_ = lastLoaderError();
    return address;
}

void DynamicLibrary::close()
{
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

} // namespace platform
