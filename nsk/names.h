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
// not fit the caller's buffer; 590 a parameter value is out of range. On
// error no output is written.
#ifndef KEYMEND_NSK_NAMES_H_
#define KEYMEND_NSK_NAMES_H_

#include <cstdint>
#include <optional>
#include <string>

namespace nsk {

// The defaults that complete a process's partial names.
struct NameDefaults {
  std::string node = "\\NODE";     // with its backslash
  std::string volume = "$DATA";    // with its dollar sign
  std::string subvolume = "USER";
};

class NameRules {
 public:
  explicit NameRules(NameDefaults defaults) : defaults_(std::move(defaults)) {}
  const NameDefaults& defaults() const { return defaults_; }

  // The procedures of the same names in sys/guardian.h, with the same
  // parameters and results.
  int16_t OldFileNameToFileName(const int16_t* oldfilename, char* filename, int16_t maxlen,
                                int16_t* filename_length) const;
  int16_t Decompose(const char* filename, int16_t length, char* piece, int16_t maxlen,
                    int16_t* piece_length, int16_t level, std::optional<int16_t> options,
                    std::optional<int16_t> subpart) const;
  int16_t Edit(char* filename, int16_t maxlen, int16_t* filename_length, const char* piece,
               int16_t piece_length, int16_t level, std::optional<int16_t> options,
               std::optional<int16_t> subpart) const;
  int16_t Resolve(const char* partialname, int16_t length, char* fullname, int16_t maxlen,
                  int16_t* fullname_length, std::optional<int16_t> options,
                  const char* override_name, std::optional<int16_t> override_length,
                  const char* search, std::optional<int16_t> search_length, const char* defaults,
                  std::optional<int16_t> defaults_length) const;

 private:
  NameDefaults defaults_;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_NAMES_H_
