// File-level search patterns: how a name pattern becomes the three part
// patterns of FilePattern (nsk/catalog.h), and how a part pattern matches.
//
// A pattern is completed like any partial name (NameRules::Resolve, wild
// cards kept), then widened to file level: a pattern that stops at the
// volume or the subvolume gets "*" for the parts it leaves out, so
// "$DATA.SALES" covers the files of that subvolume. In a part, "*", "-" and
// "+" match any run of characters and "?", "'" and "~" any one character;
// letters match in either case.
#ifndef KEYMEND_NSK_PATTERN_H_
#define KEYMEND_NSK_PATTERN_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "nsk/catalog.h"
#include "nsk/names.h"

namespace nsk {

// Turns `text` (`length` bytes) into a file-level pattern in *pattern and its
// node part, upper case, in *node ("" when the completed pattern has none).
// Returns 0, or 13 when the text is no legal name pattern (outputs
// untouched).
int16_t MakeFilePattern(const char* text, int16_t length, const NameRules& rules,
                        FilePattern* pattern, std::string* node);

// True when `text` matches the part pattern `pattern`.
bool MatchPart(std::string_view pattern, std::string_view text);

// The characters of `pattern` before its first wild card.
std::string LiteralPrefix(std::string_view pattern);

// True when `pattern` holds no wild card.
bool IsLiteral(std::string_view pattern);

// `pattern` in the syntax of SQLite's GLOB: runs become "*", single wild
// cards "?". REQUIRES: `pattern` is a legal part pattern (no "[" or "]").
std::string GlobOf(std::string_view pattern);

}  // namespace nsk

#endif  // KEYMEND_NSK_PATTERN_H_
