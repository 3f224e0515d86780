#include "platform/bundle.h"

#include <algorithm>

#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/property_list.h"

namespace updater {
namespace {

// String tables and Info.plist files are small; this only stops a hostile
// patch from making the updater read gigabytes.
constexpr size_t kMaxResourceBytes = 16 * 1024 * 1024;

// The old long names that localization folders still carry.
std::string longLanguageName(const std::string& code) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"en", "English"},    {"fr", "French"},    {"de", "German"},    {"ja", "Japanese"},
      {"it", "Italian"},    {"es", "Spanish"},   {"nl", "Dutch"},     {"sv", "Swedish"},
      {"da", "Danish"},     {"no", "Norwegian"}, {"nb", "Norwegian"}, {"fi", "Finnish"},
      {"pt", "Portuguese"}, {"ko", "Korean"},    {"zh", "Chinese"},
  };
  for (const auto& [short_name, long_name] : kNames) {
    if (code == short_name) return long_name;
  }
  return "";
}

void addUnique(std::vector<std::string>& list, const std::string& item) {
  if (!item.empty() && std::find(list.begin(), list.end(), item) == list.end()) {
    list.push_back(item);
  }
}

// "fr_FR.UTF-8@euro" -> fr_FR, fr, French. Names with a path separator are
// ignored: they would lead the lookup out of the bundle.
void addLocale(std::vector<std::string>& list, std::string locale) {
  if (locale.empty() || locale == "C" || locale == "POSIX" ||
      locale.find('/') != std::string::npos || locale.find("..") != std::string::npos) {
    return;
  }
  locale = locale.substr(0, locale.find_first_of(".@"));
  addUnique(list, locale);
  std::string language = locale.substr(0, locale.find_first_of("_-"));
  addUnique(list, language);
  addUnique(list, longLanguageName(language));
}

}  // namespace

std::vector<std::string> preferredLocalizations(const Environment& environment) {
  std::vector<std::string> list;
  // LANGUAGE is a colon-separated priority list; the first of the others that
  // is set names the locale, as gettext decides.
  if (auto language = environment.get("LANGUAGE")) {
    size_t start = 0;
    while (start <= language->size()) {
      size_t end = language->find(':', start);
      if (end == std::string::npos) end = language->size();
      addLocale(list, language->substr(start, end - start));
      start = end + 1;
    }
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (auto value = environment.get(name); value && !value->empty()) {
      addLocale(list, *value);
      break;
    }
  }
  for (const char* fallback : {"en", "English", "Base"}) addUnique(list, fallback);
  return list;
}

std::shared_ptr<const Bundle> Bundle::open(const FileSystem& file_system, const std::string& path,
                                           std::vector<std::string> localizations) {
  if (path.empty() || !file_system.isDirectory(path + "/Contents")) return nullptr;
  return std::shared_ptr<const Bundle>(new Bundle(file_system, path, std::move(localizations)));
}

Bundle::Bundle(const FileSystem& file_system, std::string path,
               std::vector<std::string> localizations)
    : file_system_(file_system), path_(std::move(path)), localizations_(std::move(localizations)) {
  while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
  if (auto bytes = file_system_.readFile(path_ + "/Contents/Info.plist", kMaxResourceBytes)) {
    info_ = parsePropertyListDictionary(*bytes);
  }
}

std::string Bundle::resourcePath() const { return path_ + "/Contents/Resources"; }

std::optional<std::string> Bundle::pathForResource(const std::string& name,
                                                   const std::string& type) const {
  const std::string file = type.empty() ? name : name + "." + type;
  if (file.empty() || file.find('/') != std::string::npos) return std::nullopt;
  const std::string resources = resourcePath();
  if (std::string direct = resources + "/" + file; file_system_.exists(direct)) return direct;
  for (const std::string& localization : localizations_) {
    std::string localized = resources + "/" + localization + ".lproj/" + file;
    if (file_system_.exists(localized)) return localized;
  }
  return std::nullopt;
}

const PlistDictionary* Bundle::infoDictionary() const { return info_ ? &*info_ : nullptr; }

std::optional<std::string> Bundle::bundleIdentifier() const {
  if (!info_) return std::nullopt;
  const PlistValue* value = findKey(*info_, "CFBundleIdentifier");
  if (value == nullptr || value->asString() == nullptr) return std::nullopt;
  return *value->asString();
}

std::optional<std::string> Bundle::executablePath() const {
  if (!info_) return std::nullopt;
  const PlistValue* value = findKey(*info_, "CFBundleExecutable");
  if (value == nullptr || value->asString() == nullptr || value->asString()->empty()) {
    return std::nullopt;
  }
  return path_ + "/Contents/MacOS/" + *value->asString();
}

const StringTable* Bundle::table(const std::string& name) const {
  std::lock_guard<std::mutex> lock(tables_mutex_);
  auto found = tables_.find(name);
  if (found == tables_.end()) {
    std::optional<StringTable> loaded;
    if (auto path = pathForResource(name, "strings")) {
      if (auto bytes = file_system_.readFile(*path, kMaxResourceBytes)) {
        loaded = parseStringTable(*bytes);
      }
    }
    found = tables_.emplace(name, std::move(loaded)).first;
  }
  return found->second ? &*found->second : nullptr;
}

std::string Bundle::localizedString(const std::string& key, const std::string& value,
                                    const std::string& table_name) const {
  if (const StringTable* strings = table(table_name.empty() ? "Localizable" : table_name)) {
    if (auto found = strings->find(key); found != strings->end()) return found->second;
  }
  return value.empty() ? key : value;
}

}  // namespace updater
