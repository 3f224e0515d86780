#include "platform/file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace updater {

bool PosixFileSystem::exists(const std::string& path) const {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool PosixFileSystem::isDirectory(const std::string& path) const {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixFileSystem::isExecutable(const std::string& path) const {
  return !path.empty() && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> PosixFileSystem::readFile(const std::string& path,
                                                     size_t max_bytes) const {
  // O_NONBLOCK keeps a FIFO planted in a patch from hanging the updater.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<unsigned long long>(info.st_size) > max_bytes) {
    ::close(fd);
    return std::nullopt;
  }
  std::string content;
  content.reserve(static_cast<size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    // The file may grow while it is read; the cap holds all the same.
    if (content.size() + static_cast<size_t>(got) > max_bytes) {
      ::close(fd);
      return std::nullopt;
    }
    content.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return content;
}

std::optional<std::vector<FileSystem::Entry>> PosixFileSystem::listDirectory(
    const std::string& path) const {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<Entry> entries;
  while (struct dirent* item = ::readdir(dir)) {
    if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) continue;
    EntryType type = EntryType::kOther;
    struct stat info;
    const std::string full = path + "/" + item->d_name;
    if (::lstat(full.c_str(), &info) == 0) {
      if (S_ISDIR(info.st_mode)) {
        type = EntryType::kDirectory;
      } else if (S_ISLNK(info.st_mode)) {
        type = EntryType::kSymlink;
      } else if (S_ISREG(info.st_mode)) {
        type = EntryType::kFile;
      }
    }
    entries.push_back({item->d_name, type});
  }
  ::closedir(dir);
  return entries;
}

std::optional<std::string> PosixFileSystem::readSymlink(const std::string& path) const {
  std::string target(4096, '\0');
  ssize_t got = ::readlink(path.c_str(), target.data(), target.size());
  if (got < 0 || static_cast<size_t>(got) == target.size()) return std::nullopt;
  target.resize(static_cast<size_t>(got));
  return target;
}

}  // namespace updater
