#include "app/language_code.h"

#include <array>

namespace updater {
namespace {

constexpr std::u16string_view kToken = u"90SelfHeal.xml";
constexpr std::u16string_view kEditionMarker = u"Pro";
constexpr std::u16string_view kTwoLetterCode = u"NP";
constexpr size_t kCodeLength = 3;

struct LanguageGroup {
  std::u16string_view word;
  std::u16string_view codes[11];
};

// Unused slots are empty views; an empty code never matches because a code
// taken from a description always has two or three units.
constexpr std::array<LanguageGroup, 3> kGroups = {{
    {u"efgj", {u"ENU", u"EFG", u"FRA", u"DEU", u"JPN"}},
    {u"cck", {u"KOR", u"CHS", u"CHT"}},
    {u"euro",
     {u"NP", u"ISD", u"SDF", u"PTB", u"DAN", u"NLD", u"SUO", u"ITA", u"NOR", u"ESP", u"SVE"}},
}};

}  // namespace

std::optional<std::u16string> languageCodeFromSelfHealText(std::u16string_view text) {
  const size_t token_at = text.find(kToken);
  if (token_at == std::u16string_view::npos || token_at < kCodeLength) return std::nullopt;

  size_t window = token_at - kCodeLength;
  if (text.substr(window, kEditionMarker.size()) == kEditionMarker) {
    // A description this short cannot name a language before the marker;
    // refusing is safer than guessing, since the caller then cancels.
    if (window < kCodeLength) return std::nullopt;
    window -= kCodeLength;
  }
  // The window always ends at or before the token, so both reads stay inside
  // the text.
  if (text.substr(window + 1, kTwoLetterCode.size()) == kTwoLetterCode) {
    return std::u16string(kTwoLetterCode);
  }
  return std::u16string(text.substr(window, kCodeLength));
}

bool languageGroupAccepts(std::u16string_view group_word, std::u16string_view code) {
  if (group_word == u"all") return true;
  for (const LanguageGroup& group : kGroups) {
    if (group.word != group_word) continue;
    for (std::u16string_view accepted : group.codes) {
      if (!accepted.empty() && accepted == code) return true;
    }
    return false;
  }
  return false;
}

}  // namespace updater
