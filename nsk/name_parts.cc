#include "nsk/name_parts.h"

#include "nsk/names.h"

namespace nsk {
bool IsNodeName(std::string_view s) { return IsLegalPart(std::string(s), '\\', NameMode::kExact); }
bool IsVolumeName(std::string_view s) { return IsLegalPart(std::string(s), '$', NameMode::kExact); }
bool IsQualifier(std::string_view s) { return IsLegalPart(std::string(s), '#', NameMode::kExact); }
bool IsNamePart(std::string_view s) { return IsLegalPart(std::string(s), 0, NameMode::kExact); }

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
