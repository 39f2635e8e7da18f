// The program's view of the Guardian procedures it calls.
//
// Every procedure is declared once, as a pure virtual member of `Guardian`,
// with the parameters of the real procedure in their real order. Optional
// parameters are explicit: a pointer that may be nullptr, or a std::optional
// for a value, so that "not passed" is visible at the call like a bit that is
// clear in a parameter mask. Pointer parameters that stand for a
// string:length pair come with their length; a pair is either passed whole
// or not at all.
//
// The program (driver/, adjust/, lib/) calls the free functions of this
// header, which forward to the implementation installed with `install`. The
// real implementation lives in nsk/; tests install a fake that records every
// call (sys/fake_guardian.h).
//
// Conventions, as on Guardian:
//   - INT is int16_t, INT(32) is int32_t; byte counts are INTs.
//   - A procedure that can fail returns an error number, 0 for none.
//   - Names are in external form unless said otherwise, at most 36 bytes
//     are ever stored by the program.
//   - STOP, PROCESS_STOP_ and ABEND on the calling process never return. The
//     real implementation ends the host process; a fake throws
//     `sys::ProcessEnded`.
//
// Only the procedures and parameters the program uses exist here. Where the
// real procedure has further trailing optional parameters that the program
// never passes, they are left out.
#ifndef KEYMEND_SYS_GUARDIAN_H_
#define KEYMEND_SYS_GUARDIAN_H_

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace sys {

// Condition code set by WRITE and FILEINFO.
enum class CC : int8_t { kLess = -1, kEqual = 0, kGreater = 1 };

// A startup procedure as INITIALIZER calls it: run-unit control block,
// pass-through data, the startup message (16-bit words), its length in
// bytes, and the match indication. INITIALIZER passes all five.
using StartupProcedure = void (*)(int16_t* rucb, void* passthru, const int16_t* message,
                                  int16_t messagelength, int16_t match);

// Completion codes of PROCESS_STOP_, STOP and ABEND.
constexpr int16_t kCompletionNormal = 0;
constexpr int16_t kCompletionWarning = 1;
constexpr int16_t kCompletionFatal = 2;
constexpr int16_t kCompletionAbend = 5;

// How a process ended, thrown by fakes in place of ending the host process.
struct ProcessEnded {
  enum class How { kStop, kProcessStop, kAbend };
  How how;
  int16_t completion_code;  // as passed, else the procedure's default
};

class Guardian {
 public:
  virtual ~Guardian() = default;

  // ---- Process start and end ---------------------------------------------

  // Reads the startup message of the process and calls `startupproc` once
  // with it before returning. The other procedures and the flags are
  // accepted and ignored. Returns 0, or an error when no message exists.
  virtual int16_t INITIALIZER(int16_t* rucb, void* passthru, StartupProcedure startupproc,
                              void* paramsproc, void* assignproc, std::optional<int16_t> flags,
                              std::optional<int32_t> timelimit) = 0;

  // Stop the calling process (processid nullptr). Completion code defaults
  // to 0.
  [[noreturn]] virtual void STOP(const int16_t* processid, std::optional<int16_t> stop_backup,
                                 int16_t* error, std::optional<int16_t> completion_code) = 0;

  // Stop the calling process (processhandle nullptr). Completion code
  // defaults to 0.
  [[noreturn]] virtual void PROCESS_STOP_(const int16_t* processhandle,
                                          std::optional<int16_t> specifier,
                                          std::optional<int16_t> options,
                                          std::optional<int16_t> completion_code) = 0;

  // End the calling process abnormally. Completion code defaults to 5.
  [[noreturn]] virtual void ABEND(const int16_t* processid, std::optional<int16_t> stop_backup,
                                  int16_t* error, std::optional<int16_t> completion_code) = 0;

  // ---- File I/O -----------------------------------------------------------

  // Opens `filename`; *filenum receives the file number, -1 when the open
  // fails. Returns the error.
  virtual int16_t FILE_OPEN_(const char* filename, int16_t length, int16_t* filenum,
                             std::optional<int16_t> access, std::optional<int16_t> exclusion,
                             std::optional<int16_t> nowait_depth,
                             std::optional<int16_t> sync_or_receive_depth,
                             std::optional<int16_t> options) = 0;

  // Writes one record of `write_count` bytes. CC kLess on failure; FILEINFO
  // then gives the error.
  virtual CC WRITE(int16_t filenum, const char* buffer, int16_t write_count,
                   int16_t* count_written, std::optional<int32_t> tag) = 0;

  // The last error of `filenum` in *error. (The real FILEINFO has more
  // outputs; the program asks only for this one.)
  virtual CC FILEINFO(int16_t filenum, int16_t* error) = 0;

  // Decides whether the last failed operation on `filenum` should be tried
  // again: nonzero means retry, 0 means give up.
  virtual int16_t FILEERROR(int16_t filenum) = 0;

  // ---- File names ---------------------------------------------------------

  // The 12-word internal-form name in external form, in `filename`, at most
  // `maxlen` bytes, its length in *filename_length.
  virtual int16_t OLDFILENAME_TO_FILENAME_(const int16_t* oldfilename, char* filename,
                                           int16_t maxlen, int16_t* filename_length) = 0;

  // A piece of `filename` selected by `level` (-1 node, 0 volume,
  // 1 subvolume, 2 file id) and `options` (1: the piece and what lies to its
  // right, 2: the piece and what lies to its left, absent: the piece alone).
  // `piece` may be the same buffer as `filename`.
  virtual int16_t FILENAME_DECOMPOSE_(const char* filename, int16_t length, char* piece,
                                      int16_t maxlen, int16_t* piece_length, int16_t level,
                                      std::optional<int16_t> options,
                                      std::optional<int16_t> subpart) = 0;

  // Replaces a piece of the name held in `filename` (length
  // *filename_length, room for `maxlen` bytes) by `piece`. Level 1 with
  // options 2: node, volume and subvolume are replaced, the file id stays.
  // On error the name and its length are left unchanged.
  virtual int16_t FILENAME_EDIT_(char* filename, int16_t maxlen, int16_t* filename_length,
                                 const char* piece, int16_t piece_length, int16_t level,
                                 std::optional<int16_t> options,
                                 std::optional<int16_t> subpart) = 0;

  // Completes `partialname` from `defaults` (when passed) and the process's
  // defaults. `fullname` may be the same buffer as `partialname`.
  virtual int16_t FILENAME_RESOLVE_(const char* partialname, int16_t length, char* fullname,
                                    int16_t maxlen, int16_t* fullname_length,
                                    std::optional<int16_t> options, const char* override_name,
                                    std::optional<int16_t> override_length, const char* search,
                                    std::optional<int16_t> search_length, const char* defaults,
                                    std::optional<int16_t> defaults_length) = 0;

  // ---- File-name search ---------------------------------------------------

  // Starts a search; *searchid receives its identifier. Without
  // `searchname` every name of the node is delivered.
  virtual int16_t FILENAME_FINDSTART_(int16_t* searchid, const char* searchname,
                                      std::optional<int16_t> length,
                                      std::optional<int16_t> resolvelevel,
                                      std::optional<int16_t> devicetype,
                                      std::optional<int16_t> devicesubtype,
                                      std::optional<int16_t> options, const char* startafter,
                                      std::optional<int16_t> startafter_length) = 0;

  // The next name of the search; 1 when no names remain.
  virtual int16_t FILENAME_FINDNEXT_(int16_t searchid, char* name, std::optional<int16_t> maxlen,
                                     int16_t* namelen, int16_t* entityinfo,
                                     std::optional<int32_t> tag) = 0;

  virtual int16_t FILENAME_FINDFINISH_(int16_t searchid) = 0;

  // ---- File labels --------------------------------------------------------

  // typeinfo (5 words): device type, device subtype, object type, file type,
  // file code.
  virtual int16_t FILE_GETINFOBYNAME_(const char* filename, int16_t length, int16_t* typeinfo,
                                      int16_t* physical_recordlen, std::optional<int16_t> options,
                                      std::optional<int32_t> timeout) = 0;

  // The values of the `numberitems` items of `itemlist`, one after another
  // in `result` (room for `result_max` bytes); *result_length receives the
  // byte count, *error_item the item in error.
  virtual int16_t FILE_GETINFOLISTBYNAME_(const char* filename, int16_t length,
                                          const int16_t* itemlist, int16_t numberitems,
                                          int16_t* result, int16_t result_max,
                                          int16_t* result_length, int16_t* error_item) = 0;

  // Writes the values of the items of `itemlist`, laid out as
  // FILE_GETINFOLISTBYNAME_ returns them, `valueslen` bytes. All or
  // nothing: on any error the label is as it was.
  virtual int16_t FILE_ALTERLIST_(const char* filename, int16_t length, const int16_t* itemlist,
                                  int16_t numberitems, const int16_t* values, int16_t valueslen,
                                  std::optional<int16_t> partonly, int16_t* error_item) = 0;

  // ---- System information -------------------------------------------------

  // The name of node `nodenumber` (absent: the local node), with its
  // backslash.
  virtual int16_t NODENUMBER_TO_NODENAME_(std::optional<int32_t> nodenumber, char* nodename,
                                          int16_t maxlen, int16_t* nodename_length) = 0;

  // One value per attribute code into `values_list` (room for
  // `values_maxlen` words); *values_length receives the words returned.
  virtual int16_t PROCESSOR_GETINFOLIST_(const char* nodename,
                                         std::optional<int16_t> nodename_length,
                                         std::optional<int16_t> cpu,
                                         const int16_t* attribute_list, int16_t attribute_count,
                                         int16_t* values_list, int16_t values_maxlen,
                                         int16_t* values_length, int16_t* error_detail) = 0;

  // Writes `dnumber` in `base` at `buffer`; with `width`, right-justified
  // and zero-filled to that many characters. Returns the characters
  // written.
  virtual int16_t DNUMOUT(char* buffer, int32_t dnumber, int16_t base,
                          std::optional<int16_t> width, std::optional<int16_t> flags) = 0;
};

// Makes `guardian` the implementation behind the free functions below and
// returns the one it replaces. The caller keeps ownership. REQUIRES: not
// nullptr while the program runs.
Guardian* install(Guardian* guardian);

// The installed implementation.
Guardian& current();

// Attribute codes of PROCESSOR_GETINFOLIST_ that the program uses.
constexpr int16_t kAttributeOsVersion = 3;
constexpr int16_t kAttributeOsUpdate = 60;

// Device type of disk files.
constexpr int16_t kDeviceTypeDisk = 3;

// Label items of the alternate-key information.
constexpr int16_t kItemAltKeyCount = 100;
constexpr int16_t kItemAltKeyDescriptors = 101;
constexpr int16_t kItemAltFileCount = 102;
constexpr int16_t kItemAltFileNameLengths = 103;
constexpr int16_t kItemAltFileNames = 104;

// ---- The calls, as the program writes them ----------------------------------
// Each forwards to current(). Trailing parameters default to "not passed".

inline int16_t INITIALIZER(int16_t* rucb = nullptr, void* passthru = nullptr,
                           StartupProcedure startupproc = nullptr, void* paramsproc = nullptr,
                           void* assignproc = nullptr, std::optional<int16_t> flags = {},
                           std::optional<int32_t> timelimit = {}) {
  return current().INITIALIZER(rucb, passthru, startupproc, paramsproc, assignproc, flags,
                               timelimit);
}

[[noreturn]] inline void STOP(const int16_t* processid = nullptr,
                              std::optional<int16_t> stop_backup = {}, int16_t* error = nullptr,
                              std::optional<int16_t> completion_code = {}) {
  current().STOP(processid, stop_backup, error, completion_code);
  std::abort();  // an implementation that returned would be a fault of its own
}

[[noreturn]] inline void PROCESS_STOP_(const int16_t* processhandle = nullptr,
                                       std::optional<int16_t> specifier = {},
                                       std::optional<int16_t> options = {},
                                       std::optional<int16_t> completion_code = {}) {
  current().PROCESS_STOP_(processhandle, specifier, options, completion_code);
  std::abort();  // an implementation that returned would be a fault of its own
}

[[noreturn]] inline void ABEND(const int16_t* processid = nullptr,
                               std::optional<int16_t> stop_backup = {}, int16_t* error = nullptr,
                               std::optional<int16_t> completion_code = {}) {
  current().ABEND(processid, stop_backup, error, completion_code);
  std::abort();  // an implementation that returned would be a fault of its own
}

inline int16_t FILE_OPEN_(const char* filename, int16_t length, int16_t* filenum,
                          std::optional<int16_t> access = {},
                          std::optional<int16_t> exclusion = {},
                          std::optional<int16_t> nowait_depth = {},
                          std::optional<int16_t> sync_or_receive_depth = {},
                          std::optional<int16_t> options = {}) {
  return current().FILE_OPEN_(filename, length, filenum, access, exclusion, nowait_depth,
                              sync_or_receive_depth, options);
}

inline CC WRITE(int16_t filenum, const char* buffer, int16_t write_count,
                int16_t* count_written = nullptr, std::optional<int32_t> tag = {}) {
  return current().WRITE(filenum, buffer, write_count, count_written, tag);
}

inline CC FILEINFO(int16_t filenum, int16_t* error = nullptr) {
  return current().FILEINFO(filenum, error);
}

inline int16_t FILEERROR(int16_t filenum) { return current().FILEERROR(filenum); }

inline int16_t OLDFILENAME_TO_FILENAME_(const int16_t* oldfilename, char* filename,
                                        int16_t maxlen, int16_t* filename_length) {
  return current().OLDFILENAME_TO_FILENAME_(oldfilename, filename, maxlen, filename_length);
}

inline int16_t FILENAME_DECOMPOSE_(const char* filename, int16_t length, char* piece,
                                   int16_t maxlen, int16_t* piece_length, int16_t level,
                                   std::optional<int16_t> options = {},
                                   std::optional<int16_t> subpart = {}) {
  return current().FILENAME_DECOMPOSE_(filename, length, piece, maxlen, piece_length, level,
                                       options, subpart);
}

inline int16_t FILENAME_EDIT_(char* filename, int16_t maxlen, int16_t* filename_length,
                              const char* piece, int16_t piece_length, int16_t level,
                              std::optional<int16_t> options = {},
                              std::optional<int16_t> subpart = {}) {
  return current().FILENAME_EDIT_(filename, maxlen, filename_length, piece, piece_length, level,
                                  options, subpart);
}

inline int16_t FILENAME_RESOLVE_(const char* partialname, int16_t length, char* fullname,
                                 int16_t maxlen, int16_t* fullname_length,
                                 std::optional<int16_t> options = {},
                                 const char* override_name = nullptr,
                                 std::optional<int16_t> override_length = {},
                                 const char* search = nullptr,
                                 std::optional<int16_t> search_length = {},
                                 const char* defaults = nullptr,
                                 std::optional<int16_t> defaults_length = {}) {
  return current().FILENAME_RESOLVE_(partialname, length, fullname, maxlen, fullname_length,
                                     options, override_name, override_length, search,
                                     search_length, defaults, defaults_length);
}

inline int16_t FILENAME_FINDSTART_(int16_t* searchid, const char* searchname = nullptr,
                                   std::optional<int16_t> length = {},
                                   std::optional<int16_t> resolvelevel = {},
                                   std::optional<int16_t> devicetype = {},
                                   std::optional<int16_t> devicesubtype = {},
                                   std::optional<int16_t> options = {},
                                   const char* startafter = nullptr,
                                   std::optional<int16_t> startafter_length = {}) {
  return current().FILENAME_FINDSTART_(searchid, searchname, length, resolvelevel, devicetype,
                                       devicesubtype, options, startafter, startafter_length);
}

inline int16_t FILENAME_FINDNEXT_(int16_t searchid, char* name = nullptr,
                                  std::optional<int16_t> maxlen = {}, int16_t* namelen = nullptr,
                                  int16_t* entityinfo = nullptr,
                                  std::optional<int32_t> tag = {}) {
  return current().FILENAME_FINDNEXT_(searchid, name, maxlen, namelen, entityinfo, tag);
}

inline int16_t FILENAME_FINDFINISH_(int16_t searchid) {
  return current().FILENAME_FINDFINISH_(searchid);
}

inline int16_t FILE_GETINFOBYNAME_(const char* filename, int16_t length, int16_t* typeinfo,
                                   int16_t* physical_recordlen = nullptr,
                                   std::optional<int16_t> options = {},
                                   std::optional<int32_t> timeout = {}) {
  return current().FILE_GETINFOBYNAME_(filename, length, typeinfo, physical_recordlen, options,
                                       timeout);
}

inline int16_t FILE_GETINFOLISTBYNAME_(const char* filename, int16_t length,
                                       const int16_t* itemlist, int16_t numberitems,
                                       int16_t* result, int16_t result_max,
                                       int16_t* result_length = nullptr,
                                       int16_t* error_item = nullptr) {
  return current().FILE_GETINFOLISTBYNAME_(filename, length, itemlist, numberitems, result,
                                           result_max, result_length, error_item);
}

inline int16_t FILE_ALTERLIST_(const char* filename, int16_t length, const int16_t* itemlist,
                               int16_t numberitems, const int16_t* values, int16_t valueslen,
                               std::optional<int16_t> partonly = {},
                               int16_t* error_item = nullptr) {
  return current().FILE_ALTERLIST_(filename, length, itemlist, numberitems, values, valueslen,
                                   partonly, error_item);
}

inline int16_t NODENUMBER_TO_NODENAME_(std::optional<int32_t> nodenumber, char* nodename,
                                       int16_t maxlen, int16_t* nodename_length) {
  return current().NODENUMBER_TO_NODENAME_(nodenumber, nodename, maxlen, nodename_length);
}

inline int16_t PROCESSOR_GETINFOLIST_(const char* nodename, std::optional<int16_t> nodename_length,
                                      std::optional<int16_t> cpu, const int16_t* attribute_list,
                                      int16_t attribute_count, int16_t* values_list,
                                      int16_t values_maxlen, int16_t* values_length = nullptr,
                                      int16_t* error_detail = nullptr) {
  return current().PROCESSOR_GETINFOLIST_(nodename, nodename_length, cpu, attribute_list,
                                          attribute_count, values_list, values_maxlen,
                                          values_length, error_detail);
}

inline int16_t DNUMOUT(char* buffer, int32_t dnumber, int16_t base,
                       std::optional<int16_t> width = {}, std::optional<int16_t> flags = {}) {
  return current().DNUMOUT(buffer, dnumber, base, width, flags);
}

}  // namespace sys

#endif  // KEYMEND_SYS_GUARDIAN_H_
