#include "nsk/pattern.h"

#include <vector>

namespace nsk {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsRun(char c) { return c == '*' || c == '-' || c == '+'; }
bool IsOne(char c) { return c == '?' || c == '\'' || c == '~'; }

}  // namespace

int16_t MakeFilePattern(const char* text, int16_t length, const NameRules& rules,
                        FilePattern* pattern, std::string* node) {
  char resolved[128];
  int16_t resolved_length = 0;
  if (length <= 0 || length > 60) return 13;
  if (rules.Resolve(text, length, resolved, sizeof resolved, &resolved_length, {}, nullptr, {},
                    nullptr, {}, nullptr, {}) != 0) {
    return 13;
  }
  NameParts parts;
  if (SplitName(resolved, resolved_length, NameMode::kWild, &parts) != 0 || parts.volume.empty()) {
    return 13;
  }
  pattern->volume = parts.volume;
  pattern->subvolume = parts.subvolume.empty() ? "*" : parts.subvolume;
  pattern->file = parts.file.empty() ? "*" : parts.file;
  *node = parts.node;
  return 0;
}

bool MatchPart(std::string_view pattern, std::string_view text) {
  // matched[j]: the pattern read so far matches the first j characters.
  std::vector<bool> matched(text.size() + 1, false);
  matched[0] = true;
  for (char p : pattern) {
    std::vector<bool> next(text.size() + 1, false);
    if (IsRun(p)) {
      bool any = false;
      for (size_t j = 0; j <= text.size(); ++j) {
        any = any || matched[j];
        next[j] = any;
      }
    } else {
      for (size_t j = 0; j < text.size(); ++j) {
        if (matched[j] && (IsOne(p) || Upper(p) == Upper(text[j]))) next[j + 1] = true;
      }
    }
    matched.swap(next);
  }
  return matched[text.size()];
}

std::string LiteralPrefix(std::string_view pattern) {
  std::string out;
  for (char c : pattern) {
    if (IsRun(c) || IsOne(c)) break;
    out += Upper(c);
  }
  return out;
}

bool IsLiteral(std::string_view pattern) { return LiteralPrefix(pattern).size() == pattern.size(); }

std::string GlobOf(std::string_view pattern) {
  std::string out;
  for (char c : pattern) {
    if (IsRun(c)) {
      if (out.empty() || out.back() != '*') out += '*';
    } else if (IsOne(c)) {
      out += '?';
    } else {
      out += Upper(c);
    }
  }
  return out;
}

}  // namespace nsk
