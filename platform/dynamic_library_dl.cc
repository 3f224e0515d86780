#include <dlfcn.h>

#include "platform/dynamic_library.h"

namespace updater {

std::unique_ptr<DynamicLibrary> DynamicLibrary::open(const std::string& path, std::string* error) {
  // RTLD_LOCAL keeps a vendor library's symbols from resolving anyone else's.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    if (error) {
      const char* reason = ::dlerror();
      *error = reason ? reason : "unknown error";
    }
    return nullptr;
  }
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() { ::dlclose(handle_); }

void* DynamicLibrary::address(const char* name) const { return ::dlsym(handle_, name); }

}  // namespace updater
