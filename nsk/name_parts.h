// Small helpers for the places of the platform that take names apart
// themselves: the launcher, the startup message and the nskfile tool.
// The part checks are shorthands of nsk::IsLegalPart without wild cards:
//
//   node       \ + 1 to 7 letters or digits, the first a letter
//   volume     $ + 1 to 7 letters or digits, the first a letter
//   qualifier  # + 1 to 7 letters or digits, the first a letter
//   part       1 to 8 letters or digits, the first a letter (subvolume,
//              file id)
#ifndef KEYMEND_NSK_NAME_PARTS_H_
#define KEYMEND_NSK_NAME_PARTS_H_

#include <string>
#include <string_view>
#include <vector>

namespace nsk {

bool IsNodeName(std::string_view s);
bool IsVolumeName(std::string_view s);
bool IsQualifier(std::string_view s);
bool IsNamePart(std::string_view s);

// `s` with its ASCII letters in upper case.
std::string UpperCase(std::string_view s);

// `s` split at every `separator`; "a..b" gives an empty middle piece, "" one
// empty piece.
std::vector<std::string_view> SplitAt(std::string_view s, char separator);

// True when `a` and `b` are equal ignoring the case of ASCII letters.
bool SameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace nsk

#endif  // KEYMEND_NSK_NAME_PARTS_H_
