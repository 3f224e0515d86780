// The self-heal repair of each patched application bundle.
#include <cstdio>
#include <vector>

#include "app/update_engine.h"
#include "platform/environment.h"
#include "platform/exit.h"
#include "platform/file_system.h"
#include "platform/log.h"
#include "platform/path_utilities.h"
#include "repair/self_heal.h"
#include "repair/self_heal_library.h"

namespace updater {
namespace {

// Where the self-heal description of a bundle lies.
constexpr const char* kSelfHealDescription = "Contents/MacOS/SHInit.xml";

struct InstallMode {
  const char* bundle_name;
  const char* install_mode;
  bool silent_install;  // whether silent runs ask for a silent repair
};
constexpr InstallMode kInstallModes[] = {
    {"Zelto Pordeta Pro.app", "PDFDriver;Browser", true},
    {"Pordeta Quorvatem.app", "PDFDriver", false},
    {"Zelto Lumbix.app", "Browser", true},
};

}  // namespace

void UpdateEngine::processAppListWithPath(const std::string& app_folder,
                                          AuthorizationReference* auth) {
  auto entries = services_.file_system.listDirectory(app_folder);
  if (!entries) {
    services_.log("FATAL ERROR:  app_list.txt could not be parsed.");
    return;
  }
  const std::string& payload = payloads_.appList.at(static_cast<size_t>(payloadNum));
  for (const FileSystem::Entry& entry : *entries) {
    // Only the folder's top level, and only real folders: a link bearing the
    // payload's name could point anywhere.
    if (entry.type != FileSystem::EntryType::kDirectory) continue;
    const std::string candidate = appendingPathComponent(app_folder, entry.name);
    if (!services_.file_system.exists(appendingPathComponent(candidate, kSelfHealDescription))) {
      continue;
    }
    if (entry.name != payload) continue;
    callSelfHealWithPath(candidate, auth);
    return;
  }
}

void UpdateEngine::callSelfHealWithPath(const std::string& bundle_path,
                                        AuthorizationReference* auth) {
  if (!services_.self_heal.available()) return;
  const std::string home = services_.environment.homeDirectory();
  const std::string source_path = standardizePath(bundle_path, home);
  if (source_path.empty()) {
    services_.log("InvokeSelfHeal: letting Vexil locate source bundle\n");
    return;
  }
  if (!services_.file_system.isDirectory(source_path)) {
    services_.log("Source bundle not found: " + source_path + "\n");
    return;
  }
  const SHBundle source{source_path.c_str()};
  const std::string target_path = standardizePath(bundle_path, home);
  const SHBundle target{target_path.c_str()};
  SHBundleRef target_ref = nullptr;
  if (target_path.empty()) {
    services_.log("InvokeSelfHeal: no target bundle\n");
  } else if (!services_.file_system.isDirectory(target_path)) {
    services_.log("Target bundle not found: " + target_path + "\n");
    services_.process_exit.exit(-120);
  } else {
    target_ref = &target;
  }

  AuthorizationRef authorization = reinterpret_cast<AuthorizationRef>(auth);
  SelfHealRequest request{0, &source, target_ref, &authorization};

  // The options live on this frame and are freed when the call returns.
  std::vector<SHOption> items;
  const std::string name = lastPathComponent(bundle_path);
  for (const InstallMode& mode : kInstallModes) {
    if (name != mode.bundle_name) continue;
    items.push_back({"INSTALL_MODE", SHOptionString, mode.install_mode, 0});
    if (mode.silent_install && !showUI()) {
      services_.log("Setting Silent Install for SelfHeal");
      items.push_back({"RUN_SILENT_INSTALL", SHOptionBoolean, nullptr, 1});
    }
    break;
  }
  SHOptions options{static_cast<uint32_t>(items.size()), items.data()};
  SHOptionsRef options_ref = &options;

  const int32_t status =
      services_.self_heal.repair(&request, nullptr, items.empty() ? nullptr : &options_ref);
  if (status != 0) {
    services_.log("error: " + std::to_string(status) + " returned from callSelfHealWithPath");
  }
}

}  // namespace updater
