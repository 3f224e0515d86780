// A folder in /tmp that lives as long as the test, and small file writers.
#pragma once

#include <string>

namespace updater::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Writes `content` to `path`, making the folders above it; `mode` as chmod.
void writeFile(const std::string& path, const std::string& content, unsigned mode = 0644);
std::string readFile(const std::string& path);
void makeDirectories(const std::string& path);
bool fileExists(const std::string& path);

// An XML property list document around `root` ("<array/>").
std::string plistDocument(const std::string& root);
// A minimal XML property list for a dictionary body ("<key>a</key><string>b</string>").
std::string plistXml(const std::string& dict_body);

}  // namespace updater::testing
