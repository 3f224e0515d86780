// The file system as the updater sees it.
//
// Abstract so it can be mocked out for tests; the real implementation is
// PosixFileSystem (file_system_posix.cc). Paths are UTF-8 byte strings.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace updater {

class FileSystem {
 public:
  enum class EntryType { kFile, kDirectory, kSymlink, kOther };
  struct Entry {
    std::string name;
    EntryType type;  // of the entry itself: a symbolic link is kSymlink
  };

  virtual ~FileSystem() = default;

  // Whether something exists at the path, following symbolic links.
  virtual bool exists(const std::string& path) const = 0;
  // Whether a folder exists at the path, following symbolic links.
  virtual bool isDirectory(const std::string& path) const = 0;
  // Whether the current user may execute the file (or enter the folder).
  virtual bool isExecutable(const std::string& path) const = 0;
  // The whole file, or nullopt when it is missing, unreadable, no regular file
  // or larger than `max_bytes`.
  virtual std::optional<std::string> readFile(const std::string& path, size_t max_bytes) const = 0;
  // The entries of a folder's top level, without "." and "..", in the order
  // the system gives them; nullopt when the folder cannot be read.
  virtual std::optional<std::vector<Entry>> listDirectory(const std::string& path) const = 0;
  // The target of a symbolic link as stored; nullopt when the path is no link.
  virtual std::optional<std::string> readSymlink(const std::string& path) const = 0;
};

}  // namespace updater
