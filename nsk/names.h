// Guardian file-name rules: the name procedures of the platform, as pure
// functions of the process's defaults. Used by the real platform and by the
// recording fake of sys/, so both complete names the same way.
//
// External form: [\node.]$volume.subvol.fileid
//   node     \ + 1 to 7 letters or digits, the first a letter
//   volume   $ + 1 to 7 letters or digits, the first a letter
//   subvol   1 to 8 letters or digits, the first a letter
//   fileid   1 to 8 letters or digits, the first a letter
// Device names put a # qualifier (# + 1 to 7 letters or digits, the first a
// letter) where the subvolume stands: $TERM.#HOME. Case is ignored; names
// come back in upper case. A whole name is at most 35 bytes.
//
// In wild-card mode (FILENAME_RESOLVE_, FILENAME_DECOMPOSE_ and the search)
// the characters * ? - + ' ~ may stand in any part and are left in place.
//
// Error numbers: 13 illegal name or illegal defaults; 563 the result does
// not fit the caller's buffer; 590 a parameter value is out of range; 29 a
// required pointer is missing. On error no output is written.
//
// Where a name has fewer parts than a full one, the parts are placed like
// this: a part that begins with \ is the node, one that begins with $ the
// volume; after a volume, the next part is the subvolume (or the #
// qualifier, which must then be the last part) and the one after that the
// file id; without a volume, plain parts are placed from the right, so "F"
// is a file id and "S.F" a subvolume and a file id. A node must be followed
// by a volume or by nothing.
//
// In wild-card mode a part may begin with a wild card instead of a letter,
// and "*", "-" and "+" (which stand for runs) do not count towards the
// part's length; every other character does.
#ifndef KEYMEND_NSK_NAMES_H_
#define KEYMEND_NSK_NAMES_H_

#include <cstdint>
#include <optional>
#include <string>

namespace nsk {

// The defaults that complete a process's partial names.
struct NameDefaults {
  std::string node = "\\NODE";   // with its backslash
  std::string volume = "$DATA";  // with its dollar sign
  std::string subvolume = "USER";
};

// The parts of a name, upper case, each with its leading \, $ or #; empty
// when the name has no such part. `subvolume` holds a # qualifier.
struct NameParts {
  std::string node;
  std::string volume;
  std::string subvolume;
  std::string file;

  // The parts present, joined by dots.
  std::string Join() const;
};

enum class NameMode {
  kExact,  // letters and digits only
  kWild,   // wild cards * ? - + ' ~ allowed in every part
};

// Splits `text` (`length` bytes) into its parts, placed as described above.
// Returns 0, or 13 for an illegal name (parts left unchanged).
int16_t SplitName(const char* text, int16_t length, NameMode mode, NameParts* parts);

// True when `text` is one legal part: `prefix` is '\\', '$' or '#' for a
// node, volume or qualifier (which then has 1 to 7 further characters), 0
// for a subvolume or file id (1 to 8 characters).
bool IsLegalPart(const std::string& text, char prefix, NameMode mode);

// True for the wild-card characters * ? - + ' ~.
bool IsWildCard(char c);

class NameRules {
 public:
  explicit NameRules(NameDefaults defaults);
  const NameDefaults& defaults() const { return defaults_; }

  // The procedures of the same names in sys/guardian.h, with the same
  // parameters and results. On error nothing is written to the outputs.

  // Reads the 12 words as 24 bytes in memory order: volume, subvolume (or
  // # qualifier), file id, each blank-padded to 8. The volume and the
  // second field must be legal (13 otherwise; a blank second field is
  // allowed only with a blank third); the third field is added when it is a
  // legal file id and dropped otherwise, so "$TERM   #HOME   " + 8 blanks
  // gives "$TERM.#HOME" and "$DATA   USER    $TERM   " gives "$DATA.USER".
  int16_t OldFileNameToFileName(const int16_t* oldfilename, char* filename, int16_t maxlen,
                                int16_t* filename_length) const;

  // The piece of `filename` at `level` (-1 node, 0 volume, 1 subvolume,
  // 2 file id; 590 otherwise): alone (options absent or 0), with every
  // present part to its right (1) or to its left (2), joined by dots. A
  // level the name does not have gives an empty piece. Wild cards are
  // accepted. `piece` may be `filename`. `subpart` is ignored.
  int16_t Decompose(const char* filename, int16_t length, char* piece, int16_t maxlen,
                    int16_t* piece_length, int16_t level, std::optional<int16_t> options,
                    std::optional<int16_t> subpart) const;

  // Replaces the levels up to `level` (options 2), from `level` on
  // (options 1) or at `level` alone (absent) of the name in `filename`
  // (*filename_length bytes, room for `maxlen`) by `piece`. A piece without
  // node or volume is placed at the right end of that range ("SALES" at
  // level 1 is a subvolume). Levels of the range that the piece leaves out
  // are taken from the process's defaults, except that no node and no file
  // id is ever made up: with level 1 and options 2, "$DATA2" gives
  // "$DATA2.<subvol>.<file id>" and "\N" gives "\N.<vol>.<subvol>.<file
  // id>". Wild cards are not accepted. A piece that does not fit the range,
  // or a result that is no legal name, gives 13; name and length are then
  // unchanged. REQUIRES: 0 <= *filename_length <= maxlen (590 otherwise).
  int16_t Edit(char* filename, int16_t maxlen, int16_t* filename_length, const char* piece,
               int16_t piece_length, int16_t level, std::optional<int16_t> options,
               std::optional<int16_t> subpart) const;

  // Completes `partialname` from the left: a name without volume gets the
  // volume, and without subvolume the subvolume, of `defaults` (when passed
  // with a length above 0) and else of the process; it gets the node of
  // `defaults` when it has none and `defaults` has one, and never the
  // process's node. `defaults` must be one of \n, \n.$v, \n.$v.s, $v or
  // $v.s (13 otherwise). Wild cards stay in place. `fullname` may be
  // `partialname`. `options`, `override_name` and `search` are ignored.
  int16_t Resolve(const char* partialname, int16_t length, char* fullname, int16_t maxlen,
                  int16_t* fullname_length, std::optional<int16_t> options,
                  const char* override_name, std::optional<int16_t> override_length,
                  const char* search, std::optional<int16_t> search_length, const char* defaults,
                  std::optional<int16_t> defaults_length) const;

 private:
  NameDefaults defaults_;
  NameParts process_;  // defaults_ as parts, upper case, for completing names
};

}  // namespace nsk

#endif  // KEYMEND_NSK_NAMES_H_
