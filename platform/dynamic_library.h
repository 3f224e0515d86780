// Loading a vendor library at run time, with typed entry points.
#pragma once

#include <memory>
#include <string>

namespace updater {

class DynamicLibrary {
 public:
  // nullptr when the library cannot be loaded; `error` says why.
  static std::unique_ptr<DynamicLibrary> open(const std::string& path, std::string* error);
  ~DynamicLibrary();

  // The entry point `name` typed as the prototype it is declared with
  // (symbol<decltype(SHRepair)>("SHRepair")), so a mismatch cannot compile;
  // nullptr when the library lacks it.
  template <typename Function>
  Function* symbol(const char* name) const {
    return reinterpret_cast<Function*>(address(name));
  }

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* address(const char* name) const;
  void* handle_;
};

}  // namespace updater
