#include "platform/xml_property_list_shape.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/property_list.h"

namespace updater {
namespace {

constexpr size_t kNone = std::string_view::npos;

// The scanner follows libplist's own tokenizer step for step (where a
// comment ends, how quotes hide markup inside a tag or a processing
// instruction, when the reader stops), because a tag that libplist sees and
// the scanner skips would be a level the depth count misses. Where following
// it exactly would take more than a few lines, the scanner refuses instead.

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

size_t skipSpace(std::string_view s, size_t pos) {
  while (pos < s.size() && isXmlSpace(s[pos])) ++pos;
  return pos;
}

// Where `needle` starts at or after `pos`; with `skip_quotes`, text between
// double quotes is stepped over. kNone when absent.
size_t findText(std::string_view s, size_t pos, std::string_view needle, bool skip_quotes) {
  const size_t len = needle.size();
  while (pos + len < s.size()) {
    if (s.compare(pos, len, needle) == 0) return pos;
    if (skip_quotes && s[pos] == '"') {
      pos = s.find('"', pos + 1);
      if (pos == kNone) return kNone;
    }
    ++pos;
  }
  return pos + len <= s.size() && s.compare(pos, len, needle) == 0 ? pos : kNone;
}

// The '>' that ends a tag whose name ends at `pos`, stepping over quoted
// attribute values; kNone when the tag is cut off or a '<' comes first.
size_t findTagEnd(std::string_view s, size_t pos) {
  while (pos < s.size()) {
    if (s[pos] == '"') {
      pos = s.find('"', pos + 1);
      if (pos == kNone) return kNone;
    } else if (s[pos] == '>') {
      return pos;
    } else if (s[pos] == '<') {
      return kNone;
    }
    ++pos;
  }
  return kNone;
}

// Steps over the text of a value element and its end tag. The text may hold
// comments and CDATA sections; any other markup makes libplist fail. `text`
// receives the text when it is one plain run, and is cleared otherwise.
bool skipValueText(std::string_view s, size_t& pos, std::string_view tag,
                   std::optional<std::string_view>& text) {
  const size_t n = s.size(), start = pos;
  text.reset();
  for (;;) {
    const size_t open = s.find('<', pos);
    if (open == kNone || open + 1 >= n) return false;
    pos = open + 1;
    if (s[pos] == '/') {
      if (s.find('<', start) == open) text = s.substr(start, open - start);
      break;
    }
    if (s[pos] != '!' || ++pos + 1 >= n) return false;
    size_t end = kNone;
    if (s[pos] == '-' && s[pos + 1] == '-') {
      end = findText(s, pos + 2, "-->", false);
    } else if (s[pos] == '[' && pos + 9 < n && s.compare(pos + 1, 6, "CDATA[") == 0) {
      end = findText(s, pos + 7, "]]>", false);
    }
    if (end == kNone) return false;
    pos = end + 3;
  }
  ++pos;
  if (pos + tag.size() >= n || s.compare(pos, tag.size(), tag) != 0) return false;
  pos = skipSpace(s, pos + tag.size());
  if (pos >= n || s[pos] != '>') return false;
  ++pos;
  return true;
}

bool isDigit(char c, bool hex) {
  return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

// libplist reads whatever a number or date element holds, makes 0 (or 1970)
// of what it cannot read, and reads a leading 0 as octal; the platform
// refuses such a file, and so does this check. White space may surround the
// text, as libplist skips it.
bool isReadableText(std::string_view tag, std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == kNone) return false;
  text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
  if (tag == "integer") {
    if (text[0] == '+' || text[0] == '-') text.remove_prefix(1);
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) text.remove_prefix(2);
    if (text.empty() || (!hex && text.size() > 1 && text[0] == '0')) return false;
    return std::all_of(text.begin(), text.end(), [hex](char c) { return isDigit(c, hex); });
  }
  if (tag == "real") {
    const std::string copy(text);
    char* end = nullptr;
    std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size();
  }
  static constexpr std::string_view kDatePattern = "dddd-dd-ddTdd:dd:ddZ";
  if (text.size() != kDatePattern.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (kDatePattern[i] == 'd' ? !isDigit(text[i], false) : text[i] != kDatePattern[i])
      return false;
  }
  return true;
}

bool isValueTag(std::string_view name) {
  static constexpr std::string_view kValueTags[] = {"key",  "string", "integer", "real",
                                                    "true", "false",  "date",    "data"};
  return std::find(std::begin(kValueTags), std::end(kValueTags), name) != std::end(kValueTags);
}

class XmlShapeScan {
 public:
  explicit XmlShapeScan(std::string_view s) : s_(s) {}

  bool run() {
    if (s_.find('\0') != kNone) return false;
    for (;;) {
      pos_ = skipSpace(s_, pos_);
      if (pos_ >= s_.size()) return root_set_ && open_tags_.empty();
      if (s_[pos_] != '<' || ++pos_ >= s_.size()) return false;
      Step step = Step::kFail;
      if (s_[pos_] == '?') {
        step = skipProcessingInstruction();
      } else if (s_[pos_] == '!') {
        step = skipDeclaration();
      } else {
        step = element();
      }
      if (step != Step::kContinue) return step == Step::kDone;
    }
  }

 private:
  enum class Step { kContinue, kDone, kFail };

  // A container the tree grows under, as libplist tracks its parent node.
  struct Parent {
    bool is_dictionary;
    int depth;
    uint64_t entries = 0;
  };

  Step skipProcessingInstruction() {
    const size_t end = findText(s_, pos_, "?>", true);
    if (end == kNone) return Step::kFail;
    pos_ = end + 2;
    return Step::kContinue;
  }

  Step skipDeclaration() {
    const size_t left = s_.size() - pos_;
    if (left > 3 && s_.compare(pos_, 3, "!--") == 0) {
      const size_t end = findText(s_, pos_ + 3, "-->", false);
      if (end == kNone) return Step::kFail;
      pos_ = end + 3;
      return Step::kContinue;
    }
    if (left <= 8 || s_.compare(pos_, 8, "!DOCTYPE") != 0) return Step::kFail;
    // An internal subset ('[') is refused: plists never carry one.
    const size_t end = findTagEnd(s_, pos_ + 8);
    if (end == kNone || s_.substr(pos_, end - pos_).find('[') != kNone) return Step::kFail;
    pos_ = end + 1;
    return Step::kContinue;
  }

  Step element() {
    const size_t name_start = pos_;
    while (pos_ < s_.size() && !isXmlSpace(s_[pos_]) && s_[pos_] != '<' && s_[pos_] != '>') ++pos_;
    if (pos_ >= s_.size()) return Step::kFail;
    const size_t raw_length = pos_ - name_start;
    const size_t close = s_[pos_] == '>' ? pos_ : findTagEnd(s_, pos_);
    if (close == kNone) return Step::kFail;
    const bool empty = s_[close - 1] == '/';
    std::string_view name = s_.substr(name_start, raw_length);
    if (empty && close - name_start - 1 < raw_length) name = name.substr(0, close - name_start - 1);
    pos_ = close + 1;

    if (name == "plist") {
      if (open_tags_.empty() && root_set_) return Step::kDone;  // libplist ignores the rest
      if (empty) return Step::kFail;
      open_tags_.push_back('p');
      return Step::kContinue;
    }
    if (name == "/plist" || name == "/dict" || name == "/array") return closing(name[1]);
    if (name == "dict" || name == "array") return container(name == "dict", empty);
    if (!isValueTag(name)) return Step::kFail;
    std::optional<std::string_view> text;
    if (!empty && !skipValueText(s_, pos_, s_.substr(name_start, raw_length), text)) {
      return Step::kFail;
    }
    if ((name == "integer" || name == "real" || name == "date") &&
        !(text && isReadableText(name, *text))) {
      return Step::kFail;
    }
    if (!countValue()) return Step::kFail;
    if (!root_set_) return Step::kDone;  // a scalar root ends the reading
    if (name == "key" && !key_pending_ && parents_.back().is_dictionary) {
      key_pending_ = true;
      return Step::kContinue;
    }
    return attach() ? Step::kContinue : Step::kFail;
  }

  Step container(bool is_dictionary, bool empty) {
    if (!countValue()) return Step::kFail;
    int depth = 1;
    if (root_set_) {
      depth = parents_.back().depth + 1;
      if (!attach()) return Step::kFail;
    }
    if (depth > kMaxPropertyListDepth) return Step::kFail;
    // An empty root still becomes the parent of whatever follows it.
    if (!empty || !root_set_) parents_.push_back({is_dictionary, depth});
    if (!empty) open_tags_.push_back(is_dictionary ? 'd' : 'a');
    root_set_ = true;
    return Step::kContinue;
  }

  Step closing(char kind) {
    if (open_tags_.empty() || open_tags_.back() != kind) return Step::kFail;
    open_tags_.pop_back();
    if (kind == 'p') return Step::kContinue;
    key_pending_ = false;
    parents_.pop_back();
    return parents_.empty() ? Step::kDone : Step::kContinue;
  }

  bool countValue() { return ++values_ <= kMaxPropertyListValues; }

  // Adds a node to the current parent; a dictionary pays for the key search
  // libplist makes on every insertion.
  bool attach() {
    key_pending_ = false;
    Parent& parent = parents_.back();
    if (!parent.is_dictionary) return true;
    ++parent.entries;
    dictionary_work_ += parent.entries;
    return dictionary_work_ <= kMaxXmlDictionaryWork / 2;
  }

  std::string_view s_;
  size_t pos_ = 0;
  bool root_set_ = false;
  bool key_pending_ = false;
  std::vector<char> open_tags_;  // 'p', 'd', 'a', as libplist checks end tags
  std::vector<Parent> parents_;
  uint64_t values_ = 0;
  uint64_t dictionary_work_ = 0;
};

}  // namespace

bool xmlPropertyListShapeIsSafe(std::string_view bytes) { return XmlShapeScan(bytes).run(); }

}  // namespace updater
