// The language code of an installed application and the patch language
// groups that accept it.
//
// The application names its language only inside its self-heal description,
// as the letters that stand directly before the "90SelfHeal.xml" file name
// (with an optional "Pro" edition marker in between). Both functions are pure
// so the language check can be tested without files or dialogs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace updater {

// The language code found in the text of an application's self-heal
// description. Positions count UTF-16 code units; all matches are exact and
// case-sensitive.
//
// With L the start of the first "90SelfHeal.xml" in `text`: when the three
// units before L are "Pro" the code window starts at W = L-6, otherwise at
// W = L-3. When the two units at W+1 are "NP" the code is "NP"; otherwise it
// is the three units at W.
//
// Returns nullopt when the text has no "90SelfHeal.xml", when fewer than three
// units stand before it, or when fewer than six do and the three before it
// are "Pro". Nothing outside `text` is ever read.
std::optional<std::u16string> languageCodeFromSelfHealText(std::u16string_view text);

// Whether the patch language group named by `group_word` accepts `code`.
//
//   "all"   every code, the empty one included
//   "efgj"  ENU EFG FRA DEU JPN
//   "cck"   KOR CHS CHT
//   "euro"  NP ISD SDF PTB DAN NLD SUO ITA NOR ESP SVE
//
// The group word is the whole content of the patch's language file, so it is
// compared exactly: case-sensitive, with no trimming of spaces or line ends.
// Any other word accepts nothing.
bool languageGroupAccepts(std::u16string_view group_word, std::u16string_view code);

}  // namespace updater
