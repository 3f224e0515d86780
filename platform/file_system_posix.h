// The real file system, through POSIX calls.
#pragma once

#include "platform/file_system.h"

namespace updater {

class PosixFileSystem : public FileSystem {
 public:
  bool exists(const std::string& path) const override;
  bool isDirectory(const std::string& path) const override;
  bool isExecutable(const std::string& path) const override;
  std::optional<std::string> readFile(const std::string& path, size_t max_bytes) const override;
  std::optional<std::vector<Entry>> listDirectory(const std::string& path) const override;
  std::optional<std::string> readSymlink(const std::string& path) const override;
};

}  // namespace updater
