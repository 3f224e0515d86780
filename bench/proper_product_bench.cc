// isProperProduct over a folder of 10,000 candidate bundles, as the open panel
// asks it for every entry it lists, against a minimal program that makes the
// same file-system calls and reads the same files. Run by hand:
//
//   build/proper_product_bench [COUNT]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "locate/locate_installed_application.h"
#include "manager/installer_results_library.h"
#include "manager/kvr_installer_results_wrapper.h"
#include "platform/bundle.h"
#include "platform/environment_posix.h"
#include "platform/file_system_posix.h"
#include "platform/log.h"
#include "platform/log_console.h"
#include "platform/process_posix.h"
#include "platform/user_interface_terminal.h"

namespace {

using namespace updater;
namespace fs = std::filesystem;

void write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + body +
         "\n</dict>\n</plist>\n";
}

// The same calls the check makes, with nothing else: stat the name, read the
// Info.plist, stat the required path, read the rule's file.
bool minimalCheck(const std::string& candidate) {
  struct stat info;
  if (::stat(candidate.c_str(), &info) != 0) return false;
  char buffer[65536];
  for (const char* file : {"/Contents/Info.plist", "/Contents/Resources/roz.plist"}) {
    int fd = ::open((candidate + file).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
    ::close(fd);
  }
  return ::stat((candidate + "/Contents/MacOS/Lumbix").c_str(), &info) == 0;
}

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  char pattern[] = "/tmp/proper-product-bench.XXXXXX";
  const fs::path root = ::mkdtemp(pattern);
  const std::string info = plist(
      "<key>CFBundleIdentifier</key><string>com.zelto.lumbix</string>"
      "<key>CFBundleExecutable</key><string>Lumbix</string>");
  const std::string roz = plist("<key>ROZVersionNumber</key><string>8.1.0</string>");
  for (int i = 0; i < count; ++i) {
    const fs::path app = root / ("c" + std::to_string(i)) / "Lumbix.app";
    write(app / "Contents/Info.plist", info);
    write(app / "Contents/Resources/roz.plist", roz);
    write(app / "Contents/MacOS/Lumbix", "");
  }
  write(root / "U.app/Contents/Resources/app_list.txt", "Lumbix.app");

  PosixFileSystem file_system;
  ProcessEnvironment environment;
  ConsoleLogSink sink;
  Log log(sink);
  PosixProcessLauncher processes({});
  AbsentInstallerResults library;
  TerminalUserInterface ui(stdin, stdout, false);
  auto bundle = Bundle::open(file_system, root / "U.app", {"en"});
  KVRInstallerResultsWrapper results(file_system, environment, bundle, processes, library);
  auto locate = std::make_shared<PlistDictionary>(
      PlistDictionary{{"requiredRelativePath", PlistValue::string("Contents/MacOS/Lumbix")}});
  auto rule = PlistValue::dictionary({
      {"IsRequired", PlistValue::string("YES")},
      {"keyType", PlistValue::string("RANGE")},
      {"keyName", PlistValue::string("ROZVersionNumber")},
      {"filePath", PlistValue::string("/Contents/Resources/roz.plist")},
      {"fileType", PlistValue::string("PLIST")},
      {"keyValue", PlistValue::array({PlistValue::string("8.0.0"), PlistValue::string("8.9.9")})},
  });
  auto validate = std::make_shared<PlistDictionary>(
      PlistDictionary{{"bundleIdentifier", PlistValue::string("com.zelto.lumbix")},
                      {"keyValuesPair", PlistValue::array({rule})}});
  LocateInstalledApplication locator({file_system, environment, bundle, results, ui, log, {"en"}},
                                     locate, validate);

  // Warm the page cache for both.
  int passed = 0;
  for (int i = 0; i < count; ++i) {
    passed += minimalCheck((root / ("c" + std::to_string(i)) / "Lumbix.app").string());
  }
  auto start = std::chrono::steady_clock::now();
  int baseline = 0;
  for (int i = 0; i < count; ++i) {
    baseline += minimalCheck((root / ("c" + std::to_string(i)) / "Lumbix.app").string());
  }
  const double minimal = seconds(std::chrono::steady_clock::now() - start);
  start = std::chrono::steady_clock::now();
  int proper = 0;
  for (int i = 0; i < count; ++i) {
    proper += locator.isProperProduct((root / ("c" + std::to_string(i)) / "Lumbix.app").string());
  }
  const double updater = seconds(std::chrono::steady_clock::now() - start);
  std::printf(
      "%d candidates: isProperProduct %.3f s (%d passed), minimal %.3f s (%d), ratio %.2f\n", count,
      updater, proper, minimal, baseline, updater / minimal);
  fs::remove_all(root);
  return proper == count && baseline == count && passed == count ? 0 : 1;
}
