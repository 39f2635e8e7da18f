// The file-name search of the node: FILENAME_FINDSTART_, FILENAME_FINDNEXT_
// and FILENAME_FINDFINISH_ over the catalog.
//
// How a search runs:
//   1. Start completes the pattern like FILENAME_RESOLVE_ (the process's
//      defaults fill what it leaves out) and widens it to file level
//      (nsk/pattern.h). A node part is kept only when the pattern has one,
//      and it must match the local node (14 otherwise).
//   2. Next reads names from the catalog in pages of kPage, in ascending
//      order of volume, subvolume and file id, each page starting after the
//      last name read ("keyset paging"). Nothing is locked between calls, so
//      writers are never held up by a search and memory stays flat however
//      large the node. Because every page starts strictly after the last
//      name read, a name created or purged during the search can never make
//      a name come twice; a name created behind the search is not seen, one
//      created ahead of it is.
//   3. A name is handed out with the node part exactly when the pattern had
//      one.
//
// Up to kMaxSearches may be open at once; search ids run from 1 and are not
// reused until the counter wraps, so a finished id stays unknown (590).
#ifndef KEYMEND_NSK_SEARCH_H_
#define KEYMEND_NSK_SEARCH_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "nsk/catalog.h"
#include "nsk/names.h"

namespace nsk {

class FileSearches {
 public:
  static constexpr int kMaxSearches = 16;
  static constexpr int kPage = 32;

  // REQUIRES: `catalog` and `rules` outlive this object.
  FileSearches(Catalog* catalog, const NameRules* rules) : catalog_(catalog), rules_(rules) {}

  // Starts a search and stores its id in *searchid. Without `searchname`
  // (or with length 0) every file of the node is delivered, without node
  // part. `devicetype` absent or 3 keeps every file (all are disk files);
  // any other device type finds nothing. `startafter` (a file name,
  // completed like the pattern) makes the search begin after that name.
  // `resolvelevel`, `devicesubtype` and `options` are accepted and ignored.
  // Errors: 29 `searchid` missing, or a string without its length; 13 an
  // illegal pattern or `startafter`; 14 a node part that does not match
  // the local node; 34 when kMaxSearches are open. *searchid is written
  // only on success.
  int16_t Start(int16_t* searchid, const char* searchname, std::optional<int16_t> length,
                std::optional<int16_t> resolvelevel, std::optional<int16_t> devicetype,
                std::optional<int16_t> devicesubtype, std::optional<int16_t> options,
                const char* startafter, std::optional<int16_t> startafter_length);

  // The next name of search `searchid` into `name` (room for `maxlen`
  // bytes) and its length into *namelen; `entityinfo` (5 words, when
  // passed) receives device type 3, subtype 0, object type 0, file type
  // and file code. Returns 0; 1 when no names remain; 590 for an unknown
  // id; 29 `name` without `maxlen`; 563 when the name does not fit (the
  // name is then passed over: nothing is written and the next call goes on
  // with the name after it); a store error (40, 59, ...) leaves the
  // position unchanged. `tag` is ignored: every call is waited.
  int16_t Next(int16_t searchid, char* name, std::optional<int16_t> maxlen, int16_t* namelen,
               int16_t* entityinfo, std::optional<int32_t> tag);

  // Ends search `searchid`: 0, or 590 for an unknown id.
  int16_t Finish(int16_t searchid);

  int open_searches() const { return static_cast<int>(searches_.size()); }

 private:
  struct Search {
    FilePattern pattern;
    std::string node;  // prefix of every name handed out, "" for none
    bool finds_nothing = false;
    std::vector<FileKey> page;    // read ahead, not yet handed out
    size_t next = 0;              // index into page
    bool exhausted = false;       // the last page was short
    std::optional<FileKey> last;  // last name read from the catalog
  };

  Catalog* catalog_;
  const NameRules* rules_;
  std::map<int16_t, Search> searches_;
  int16_t last_id_ = 0;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_SEARCH_H_
