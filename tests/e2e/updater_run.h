// End-to-end fixture: a real updater bundle made by tools/make-bundle.sh in a
// temporary folder, an installed application beside it, and a run of the
// real executable with its log, output and exit status.
#pragma once

#include <unistd.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

// Installing starts scripts as the superuser; run by another user the updater
// can only refuse, so runs that install are skipped there (CI runs as root).
#define SKIP_UNLESS_ROOT() \
  if (::geteuid() != 0) GTEST_SKIP() << "installing needs root"

namespace updater::testing {

struct RunResult {
  int exit_status = -1;  // 128 + signal when a signal ended it
  std::string out;       // standard output
  std::string err;       // standard error
  // The log's messages, the console prefix removed; a message with line
  // feeds of its own stays one entry.
  std::vector<std::string> log() const;
};

class PatchFixture {
 public:
  PatchFixture();

  const std::string& root() const { return dir_.path(); }
  std::string resources() const { return dir_ / "resources"; }
  std::string applications() const { return dir_ / "Applications"; }
  std::string home() const { return dir_ / "home"; }
  std::string bundle() const { return dir_ / "Patch.app"; }

  // Writes a file into the patch's resources (before build()).
  void resource(const std::string& name, const std::string& content, unsigned mode = 0644);
  void removeResource(const std::string& name);
  // configuration.plist from a dictionary body.
  void configuration(const std::string& dict_body);
  // An installed application bundle in applications(); `roz_body` is the
  // roz.plist dictionary body, nullopt for none. Returns its path.
  std::string application(const std::string& name, const std::optional<std::string>& roz_body,
                          const std::string& identifier = "com.zelto.lumbix");

  // Assembles the bundle (once; later calls do nothing), with the recording
  // vendor libraries unless told otherwise.
  void build(const std::string& frameworks = UPDATER_TEST_FRAMEWORKS_DIR);
  // Later runs start the updater through this command (e.g. setpriv ...).
  void runThrough(std::vector<std::string> prefix) { prefix_ = std::move(prefix); }
  // A file in root() where the recording libraries and test scripts write.
  std::string record(const std::string& name) const { return dir_ / name; }
  // The lines of a record file (none when it does not exist).
  std::vector<std::string> recorded(const std::string& name) const;
  // Runs the bundle's executable with `arguments`, standard input `input`,
  // and a clean environment plus `environment`.
  RunResult run(const std::vector<std::string>& arguments,
                const std::map<std::string, std::string>& environment = {},
                const std::string& input = "");

 private:
  TempDir dir_;
  bool built_ = false;
  std::vector<std::string> prefix_;
};

// A default patch: one payload "Zelto Lumbix.app", patch revision 4, group
// "all", English string tables, and scripts that succeed.
void writeDefaultPatch(PatchFixture& fixture);

}  // namespace updater::testing
