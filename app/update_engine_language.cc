// Whether the installed application belongs to the patch's language group.
#include "app/language_code.h"
#include "app/update_engine.h"
#include "platform/bundle.h"
#include "platform/file_system.h"
#include "platform/log.h"
#include "platform/user_interface.h"
#include "platform/utf16.h"

namespace updater {
namespace {

constexpr size_t kMaxLanguageFileBytes = 4 * 1024 * 1024;

}  // namespace

bool UpdateEngine::isPatchLanguagesValidForApp(const std::string& app_path) {
  const FileSystem& fs = services_.file_system;
  auto groups_path = _mainBundle->pathForResource("patch_languages", "txt");
  if (!groups_path) {
    services_.log("FATAL ERROR:  patch_languages.txt could not be found.");
    return false;
  }
  std::optional<std::u16string> group;
  if (auto bytes = fs.readFile(*groups_path, kMaxLanguageFileBytes)) group = decodeUtf8(*bytes);
  if (!group) {
    services_.log("FATAL ERROR:  patch_languages.txt is empty.");
    return false;
  }
  if (*group == u"all") return true;

  const std::string description = app_path + "/Contents/MacOS/SHInit.xml";
  std::optional<std::u16string> text;
  if (auto bytes = fs.readFile(description, kMaxLanguageFileBytes)) text = decodeUtf8(*bytes);
  if (!text) {
    services_.log("FATAL ERROR:  SHInit.xml is empty.");
    return false;
  }
  auto code = languageCodeFromSelfHealText(*text);
  if (!code) {
    // Without the marker, or with too little before it, no language can be
    // told; refusing is the safe answer for a language-specific patch.
    services_.log(
        "FATAL ERROR:  SHInit.xml names no language (no \"90SelfHeal.xml\" with a "
        "language code before it).");
    return false;
  }
  if (languageGroupAccepts(*group, *code)) return true;

  const std::string title = _mainBundle->localizedString("Update Failed title");
  const std::string message = _mainBundle->localizedString("Wrong Language Message");
  if (showUI()) {
    services_.user_interface.runAlert({title, message, "OK", std::nullopt});
  } else {
    services_.log(message);
  }
  return false;
}

}  // namespace updater
