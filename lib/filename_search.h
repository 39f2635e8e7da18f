// The extended-wildcard file-name search: the system's file-name search with
// letter and digit places added to its wild cards.
//
// The three procedures stand in for FILENAME_FINDSTART_, FILENAME_FINDNEXT_
// and FILENAME_FINDFINISH_, with their parameters in the same order;
// NRX_FILENAME_FINDNEXT_ takes the template a second time at the end. The
// search runs in two stages:
//   - NRX_FILENAME_FINDSTART_ translates the template into a system pattern
//     (template_translate.h), which knows only "*" and "?", and starts the
//     system search with it; every letter or digit place is widened there.
//   - each NRX_FILENAME_FINDNEXT_ call translates the template into an
//     internal pattern, qualifies it with FILENAME_RESOLVE_, takes names from
//     the system search and hands back the first one that STRINGMATCHX finds
//     to match it, ignoring case. The others are passed over and are gone
//     from the search.
// A caller that passes no template to NRX_FILENAME_FINDNEXT_ gets the plain
// system search.
//
// Usage: NRX_FILENAME_FINDSTART_ once; when it returns 0,
// NRX_FILENAME_FINDNEXT_ with the same identifier and template until it
// returns other than 0 (1: no names remain); then NRX_FILENAME_FINDFINISH_.
//
// The procedures keep nothing between calls; each works in fixed buffers of
// its own: 60 bytes for the system pattern, 230 for the internal pattern, 36
// for a found name. Names found on the filtered path are at most 36 bytes.
//
// Results: 0 done; -5, -6, -7 the template's errors (as for STRINGMATCHX,
// with -6 at 60 bytes of system pattern or 230 of internal pattern); -8 a
// system pattern that cannot be a file name; 29 a required parameter is
// missing; 563 the caller's `name` is too small for the name found; 590 no
// `searchid`; anything else is the error of the system procedure that
// failed, handed on unchanged.
#ifndef KEYMEND_LIB_FILENAME_SEARCH_H_
#define KEYMEND_LIB_FILENAME_SEARCH_H_

#include <cstdint>
#include <optional>

namespace keymend {

constexpr int16_t kMissingParameter = 29;
constexpr int16_t kBufferTooSmall = 563;
constexpr int16_t kNoSearchId = 590;
constexpr int16_t kNoMoreNames = 1;

// Starts a search for the names that match the template `searchpattern`
// (`patternlen` bytes; 0 or less is the empty template, which the system
// receives as an empty pattern). Without a template the system search runs
// without a pattern. The other parameters are handed to FILENAME_FINDSTART_
// exactly when passed; `startafter` is not translated.
//
// Returns 0 and the identifier in *searchid when the search is open.
// A template error (-5 to -8) is found before the system is called; then
// *searchid is not written. Returns 590 without a `searchid`, and 29 when
// `searchpattern` comes without `patternlen` or `startafter` without
// `startafterlen`; nothing is called then either.
int16_t NRX_FILENAME_FINDSTART_(
    int16_t* searchid, const char* searchpattern = nullptr, std::optional<int16_t> patternlen = {},
    std::optional<int16_t> resolvelevel = {}, std::optional<int16_t> devicetype = {},
    std::optional<int16_t> devicesubtype = {}, std::optional<int16_t> options = {},
    const char* startafter = nullptr, std::optional<int16_t> startafterlen = {});

// Hands back the next name of search `searchid`.
//
// Without `searchpattern` (the plain path) this is FILENAME_FINDNEXT_: its
// parameters are handed on exactly when passed and its result returned.
//
// With `searchpattern` (the filtered path, the same template that started
// the search) only a name that matches it is handed back: a found name with
// a node part is compared without it when the template has none. On 0,
// `name` (when passed) holds the name and *namelen its length; on every
// other result both are left untouched. `name` needs room for 36 bytes
// unless `maxlen` is passed; a name longer than a passed `maxlen` gives 563
// (and is gone from the search). `entityinfo` and `tag` are handed to every
// FILENAME_FINDNEXT_ call; after 0, `entityinfo` holds what the system gave
// for the name handed back. Template errors are found before any name is
// taken, and 29 (`name` without `namelen`, or `searchpattern` without
// `patternlen`) before anything is called.
//
// Returns 590 without a `searchid`, calling nothing.
int16_t NRX_FILENAME_FINDNEXT_(std::optional<int16_t> searchid, char* name = nullptr,
                               std::optional<int16_t> maxlen = {}, int16_t* namelen = nullptr,
                               int16_t* entityinfo = nullptr, std::optional<int32_t> tag = {},
                               const char* searchpattern = nullptr,
                               std::optional<int16_t> patternlen = {});

// Ends search `searchid`; returns the result of FILENAME_FINDFINISH_.
int16_t NRX_FILENAME_FINDFINISH_(int16_t searchid);

}  // namespace keymend

#endif  // KEYMEND_LIB_FILENAME_SEARCH_H_
