// Runs a fuzz target over saved inputs without the fuzzing engine, so that a
// corpus or a crash file can be replayed with any compiler (and under any
// sanitizer). Each argument names a file, or a folder whose files are all fed
// in name order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool replay(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
    return 2;
  }
  int failures = 0;
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path argument(argv[i]);
    std::error_code error;
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(argument, error)) {
      for (const auto& entry : std::filesystem::directory_iterator(argument, error)) {
        if (entry.is_regular_file(error)) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
    } else {
      files.push_back(argument);
    }
    for (const auto& file : files) {
      if (replay(file)) {
        ++replayed;
      } else {
        ++failures;
      }
    }
  }
  std::fprintf(stderr, "replayed %zu input(s)\n", replayed);
  return failures == 0 ? 0 : 1;
}
