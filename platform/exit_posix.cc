#include "platform/exit_posix.h"

#include <cstdio>
#include <cstdlib>

namespace updater {

void PosixProcessExit::exit(int status) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(status);
}

}  // namespace updater
