#include "nsk/startup_message.h"

#include <cstring>

#include "nsk/name_parts.h"

namespace nsk {
namespace {

std::string Field(std::string_view part) {
  std::string field(part);
  field.resize(8, ' ');
  return field;
}

std::string Fields(std::string_view a, std::string_view b, std::string_view c) {
  return Field(a) + Field(b) + Field(c);
}

}  // namespace

std::optional<std::string> ToOldFileName(std::string_view name, const NameDefaults& defaults) {
  const std::string upper = UpperCase(name);
  std::vector<std::string_view> parts = SplitAt(upper, '.');
  if (IsNodeName(parts[0])) {
    // The old form has no room for a node name; only the local node can be
    // left out without changing what the name means.
    if (!SameIgnoringCase(parts[0], defaults.node) || parts.size() < 2) return std::nullopt;
    parts.erase(parts.begin());
    if (!IsVolumeName(parts[0])) return std::nullopt;
  }
  if (IsVolumeName(parts[0])) {
    switch (parts.size()) {
      case 1:
        return Fields(parts[0], "", "");
      case 2:
        if (IsQualifier(parts[1])) return Fields(parts[0], parts[1], "");
        return std::nullopt;
      case 3:
        if (IsNamePart(parts[1]) && IsNamePart(parts[2])) {
          return Fields(parts[0], parts[1], parts[2]);
        }
        return std::nullopt;
      default:
        return std::nullopt;
    }
  }
  const std::string volume = UpperCase(defaults.volume);
  const std::string subvolume = UpperCase(defaults.subvolume);
  if (parts.size() == 1 && IsNamePart(parts[0])) return Fields(volume, subvolume, parts[0]);
  if (parts.size() == 2 && IsNamePart(parts[0]) && IsNamePart(parts[1])) {
    return Fields(volume, parts[0], parts[1]);
  }
  return std::nullopt;
}

std::string OldFileNameOrBlanks(std::string_view name, const NameDefaults& defaults) {
  return ToOldFileName(name, defaults).value_or(std::string(kOldFileNameBytes, ' '));
}

StartupMessage BuildStartupMessage(const NameDefaults& defaults, std::string_view in_file,
                                   std::string_view out_file, std::string_view parameters) {
  std::string bytes(2, '\0');
  const int16_t code = -1;
  std::memcpy(bytes.data(), &code, sizeof code);
  bytes += Field(UpperCase(defaults.volume));
  bytes += Field(UpperCase(defaults.subvolume));
  bytes += OldFileNameOrBlanks(in_file, defaults);
  bytes += OldFileNameOrBlanks(out_file, defaults);
  bytes += parameters;
  bytes += '\0';

  StartupMessage message;
  message.length = static_cast<int16_t>(bytes.size());
  message.words.assign((bytes.size() + 1) / 2, 0);
  std::memcpy(message.words.data(), bytes.data(), bytes.size());
  return message;
}

}  // namespace nsk
