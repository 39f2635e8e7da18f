// File labels by name: FILE_GETINFOBYNAME_, FILE_GETINFOLISTBYNAME_ and
// FILE_ALTERLIST_ over the catalog, with the node's security rules.
//
// The catalog keeps items 100 to 104 of a file as one byte string, the
// items one after another as FILE_GETINFOLISTBYNAME_ returns them (words
// little-endian, which is the host's order: see the compile-time check in
// labels.cc). An item is cut out of that string like this, each piece
// clipped to what is stored, so that a damaged label still reads back byte
// for byte when the five items are asked for in order:
//   100  the first word: N
//   101  the next 12 * N bytes (N below 0 counts as 0)
//   102  the next word: M
//   103  the next 2 * M bytes
//   104  everything after that
// A file stored without any of these bytes (an unstructured file, say)
// reads as N = 0 and M = 0.
//
// Security: the process runs as a Guardian user GROUP.USER (from NSK_USER,
// default SUPER.SUPER). A file's security string gives, for read, write,
// execute and purge, who may do it: A any user, G the owner's group, O the
// owner, - the super user only. SUPER.SUPER may do everything. Reading
// label items needs no access; changing them needs write access.
#ifndef KEYMEND_NSK_LABELS_H_
#define KEYMEND_NSK_LABELS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "nsk/catalog.h"
#include "nsk/host_errors.h"
#include "nsk/names.h"

namespace nsk {

// A Guardian user, upper case.
struct User {
  std::string group = "SUPER";
  std::string name = "SUPER";

  bool IsSuper() const { return group == "SUPER" && name == "SUPER"; }
  std::string Text() const { return group + "." + name; }
};

// "GROUP.USER" (each part 1 to 8 letters or digits, the first a letter;
// case ignored) into *user. False, and *user untouched, otherwise.
bool ParseUser(const std::string& text, User* user);

// The process's user from NSK_USER; SUPER.SUPER when it is unset or empty.
// 590 with a message when it is set to something that is no user name.
Error ProcessUser(User* user);

// Which access a security string is asked for.
enum class Access { kRead = 0, kWrite = 1, kExecute = 2, kPurge = 3 };

// True when `user` has `access` to a file of `owner` with `security`. An
// owner or security string that cannot be read grants the super user only.
bool MayAccess(const User& user, const std::string& owner, const std::string& security,
               Access access);

class Labels {
 public:
  // REQUIRES: `catalog` and `rules` outlive this object.
  Labels(Catalog* catalog, const NameRules* rules, User user)
      : catalog_(catalog), rules_(rules), user_(std::move(user)) {}

  // Names are completed with the process's defaults (`rules`); wild cards
  // and device names give 13; a node other than the local one 14.

  // typeinfo (5 words): device type 3, subtype 0, object type 0, file
  // type, file code. *physical_recordlen (when passed) receives 4096.
  // 11 missing file, 13 illegal name, 29 typeinfo missing. `options` and
  // `timeout` are ignored. Outputs are written only on success.
  int16_t GetInfoByName(const char* filename, int16_t length, int16_t* typeinfo,
                        int16_t* physical_recordlen, std::optional<int16_t> options,
                        std::optional<int32_t> timeout);

  // The values of the `numberitems` items of `itemlist` (each 100 to 104,
  // in any order), one after another, into `result`; their byte count into
  // *result_length. The bytes are the stored ones, as they are. Errors: 11,
  // 13, 14 as above; 590 with *error_item = the item's index for an item
  // code outside 100 to 104, or a count below 0; 563 with *error_item = the
  // index of the first item that does not fit when the values need more
  // than `result_max` bytes. On any error nothing is written to `result`
  // or *result_length: a cut list must never look like a whole one, or a
  // caller could write the cut list back and lose names.
  int16_t GetInfoListByName(const char* filename, int16_t length, const int16_t* itemlist,
                            int16_t numberitems, int16_t* result, int16_t result_max,
                            int16_t* result_length, int16_t* error_item);

  // Replaces items 100 to 104 by `values` (`valueslen` bytes, laid out as
  // GetInfoListByName returns them) in one transaction, durable when this
  // returns 0. Errors, each leaving the stored label exactly as it was:
  //   590  `itemlist` is not exactly 100, 101, 102, 103, 104 (*error_item:
  //        the index of the first wrong one), or valueslen below 0
  //   21   counts that do not fit `valueslen`, a name length outside 1 to
  //        35, or a name that is not a full external file name
  //        ([\node.]$vol.subvol.fileid); *error_item: the index of the item
  //   11   the file does not exist (any more)
  //   48   the process's user may not write the file
  //   40   the catalog stayed locked past the busy timeout
  //   and the store's own errors (45, 190, 59, ...).
  // `partonly` is ignored: files have no partitions here.
  int16_t AlterList(const char* filename, int16_t length, const int16_t* itemlist,
                    int16_t numberitems, const int16_t* values, int16_t valueslen,
                    std::optional<int16_t> partonly, int16_t* error_item);

  const User& user() const { return user_; }

 private:
  // The catalog's name for `filename`, or the error.
  int16_t FullName(const char* filename, int16_t length, std::string* name) const;

  Catalog* catalog_;
  const NameRules* rules_;
  User user_;
  // Reused by every call, so that a run over many files does not allocate
  // for each one.
  std::string name_;
  std::string stored_;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_LABELS_H_
