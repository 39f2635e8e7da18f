#include "nsk/name_parts.h"

namespace nsk {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A letter, then letters or digits, `max` characters at most.
bool IsWord(std::string_view s, size_t max) {
  if (s.empty() || s.size() > max || !IsLetter(s[0])) return false;
  for (char c : s) {
    if (!IsLetter(c) && !IsDigit(c)) return false;
  }
  return true;
}

bool IsPrefixedWord(std::string_view s, char prefix) {
  return !s.empty() && s[0] == prefix && IsWord(s.substr(1), 7);
}

}  // namespace

bool IsNodeName(std::string_view s) { return IsPrefixedWord(s, '\\'); }
bool IsVolumeName(std::string_view s) { return IsPrefixedWord(s, '$'); }
bool IsQualifier(std::string_view s) { return IsPrefixedWord(s, '#'); }
bool IsNamePart(std::string_view s) { return IsWord(s, 8); }

std::string UpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::vector<std::string_view> SplitAt(std::string_view s, char separator) {
  std::vector<std::string_view> pieces;
  for (;;) {
    const size_t at = s.find(separator);
    pieces.push_back(s.substr(0, at));
    if (at == std::string_view::npos) return pieces;
    s.remove_prefix(at + 1);
  }
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

}  // namespace nsk
