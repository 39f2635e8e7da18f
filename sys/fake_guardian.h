// A recording, scriptable stand-in for the Guardian platform, for tests.
//
// Every call is recorded in `calls` as one line
//     NAME(param=value, param=value, ...)
// that lists only the parameters that were passed, in their declared order.
// Input strings show as "text" (their bytes, up to their length), output
// pointers by their name alone, numbers in decimal. A test compares these
// lines to see that the program passes exactly the parameters it should.
//
// Behaviour without a script is that of a small, sound node held in memory:
//   - names follow nsk::NameRules with `defaults`;
//   - "$TERM.#HOME" opens as file number 1 and receives `terminal` lines;
//     other names in `openable` open as 2, 3, ...; everything else fails
//     with -1 and error 11;
//   - the search delivers `search_names` in order, then 1;
//   - labels come from `files`;
//   - STOP, PROCESS_STOP_ and ABEND throw sys::ProcessEnded.
// Scripting:
//   - `ScriptResult(name, value)` queues a result for the next call of that
//     procedure, which then returns it without doing its normal work (its
//     outputs are left alone). Several results are taken in order.
//   - `write_errors` queues errors for the next WRITEs (0 = success).
//   - `fileerror_answers` queues FILEERROR answers (default 0: give up).
#ifndef KEYMEND_SYS_FAKE_GUARDIAN_H_
#define KEYMEND_SYS_FAKE_GUARDIAN_H_

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "nsk/names.h"
#include "sys/guardian.h"

namespace sys {

// The bytes of a startup message: code -1, default volume and subvolume,
// IN and OUT file in 12-word internal form, then `parameters` (copied as
// they are; add the NUL yourself when you want one).
std::vector<int16_t> MakeStartupMessage(std::string_view volume, std::string_view subvolume,
                                        std::string_view in_file, std::string_view out_file,
                                        std::string_view parameters, int16_t* length_bytes);

// 24 bytes of a 12-word internal-form name: "$TERM", "#HOME", "" gives
// "$TERM   #HOME           ". Each part is blank-padded or cut to 8.
std::string InternalName(std::string_view volume, std::string_view subvolume,
                         std::string_view fileid);

// The alternate-key items 100 to 104 as one byte list in host word order:
// `keys` descriptors (6 words each), then the file names.
struct AltKeyDescriptor {
  int16_t specifier = ('A' << 8) | 'K';
  int16_t length = 4;
  int16_t offset = 0;
  int16_t file_number = 0;
  int16_t null_value = 0;
  int16_t attributes = 0;
};
std::vector<uint8_t> MakeAltKeyList(const std::vector<AltKeyDescriptor>& keys,
                                    const std::vector<std::string>& files);

class FakeGuardian : public Guardian {
 public:
  struct File {
    int16_t type = 3;  // file type; 0 unstructured
    int16_t code = 0;
    std::vector<uint8_t> altlist;  // items 100 to 104, exactly as stored
  };

  FakeGuardian();

  // ---- Script and observation ---------------------------------------------
  std::vector<std::string> calls;
  std::vector<std::string> CallsTo(std::string_view name) const;  // lines of one procedure
  void ScriptResult(const std::string& procedure, int16_t result);

  nsk::NameDefaults defaults;          // the process's defaults for names
  std::vector<int16_t> startup_message;  // what INITIALIZER hands over
  int16_t startup_message_length = 0;    // its length in bytes
  std::vector<std::string> openable;   // further names that FILE_OPEN_ accepts
  std::vector<std::string> terminal;   // the records written to the home terminal
  std::map<int16_t, std::vector<std::string>> written;  // records per other file number
  std::deque<int16_t> write_errors;
  std::deque<int16_t> fileerror_answers;
  std::vector<std::string> search_names;
  std::map<std::string, File> files;  // by upper-case name
  std::vector<std::vector<uint8_t>> alterlist_values;  // the values of each FILE_ALTERLIST_
  std::string node_name = "\\NODE";
  int16_t os_version_word = static_cast<int16_t>((('H' + 10) << 8) | 6);
  int16_t os_update_word = 29;

  // ---- sys::Guardian -------------------------------------------------------
  int16_t INITIALIZER(int16_t* rucb, void* passthru, StartupProcedure startupproc,
                      void* paramsproc, void* assignproc, std::optional<int16_t> flags,
                      std::optional<int32_t> timelimit) override;
  [[noreturn]] void STOP(const int16_t* processid, std::optional<int16_t> stop_backup,
                         int16_t* error, std::optional<int16_t> completion_code) override;
  [[noreturn]] void PROCESS_STOP_(const int16_t* processhandle, std::optional<int16_t> specifier,
                                  std::optional<int16_t> options,
                                  std::optional<int16_t> completion_code) override;
  [[noreturn]] void ABEND(const int16_t* processid, std::optional<int16_t> stop_backup,
                          int16_t* error, std::optional<int16_t> completion_code) override;
  int16_t FILE_OPEN_(const char* filename, int16_t length, int16_t* filenum,
                     std::optional<int16_t> access, std::optional<int16_t> exclusion,
                     std::optional<int16_t> nowait_depth,
                     std::optional<int16_t> sync_or_receive_depth,
                     std::optional<int16_t> options) override;
  CC WRITE(int16_t filenum, const char* buffer, int16_t write_count, int16_t* count_written,
           std::optional<int32_t> tag) override;
  CC FILEINFO(int16_t filenum, int16_t* error) override;
  int16_t FILEERROR(int16_t filenum) override;
  int16_t OLDFILENAME_TO_FILENAME_(const int16_t* oldfilename, char* filename, int16_t maxlen,
                                   int16_t* filename_length) override;
  int16_t FILENAME_DECOMPOSE_(const char* filename, int16_t length, char* piece, int16_t maxlen,
                              int16_t* piece_length, int16_t level, std::optional<int16_t> options,
                              std::optional<int16_t> subpart) override;
  int16_t FILENAME_EDIT_(char* filename, int16_t maxlen, int16_t* filename_length,
                         const char* piece, int16_t piece_length, int16_t level,
                         std::optional<int16_t> options, std::optional<int16_t> subpart) override;
  int16_t FILENAME_RESOLVE_(const char* partialname, int16_t length, char* fullname,
                            int16_t maxlen, int16_t* fullname_length,
                            std::optional<int16_t> options, const char* override_name,
                            std::optional<int16_t> override_length, const char* search,
                            std::optional<int16_t> search_length, const char* defaults,
                            std::optional<int16_t> defaults_length) override;
  int16_t FILENAME_FINDSTART_(int16_t* searchid, const char* searchname,
                              std::optional<int16_t> length, std::optional<int16_t> resolvelevel,
                              std::optional<int16_t> devicetype,
                              std::optional<int16_t> devicesubtype, std::optional<int16_t> options,
                              const char* startafter,
                              std::optional<int16_t> startafter_length) override;
  int16_t FILENAME_FINDNEXT_(int16_t searchid, char* name, std::optional<int16_t> maxlen,
                             int16_t* namelen, int16_t* entityinfo,
                             std::optional<int32_t> tag) override;
  int16_t FILENAME_FINDFINISH_(int16_t searchid) override;
  int16_t FILE_GETINFOBYNAME_(const char* filename, int16_t length, int16_t* typeinfo,
                              int16_t* physical_recordlen, std::optional<int16_t> options,
                              std::optional<int32_t> timeout) override;
  int16_t FILE_GETINFOLISTBYNAME_(const char* filename, int16_t length, const int16_t* itemlist,
                                  int16_t numberitems, int16_t* result, int16_t result_max,
                                  int16_t* result_length, int16_t* error_item) override;
  int16_t FILE_ALTERLIST_(const char* filename, int16_t length, const int16_t* itemlist,
                          int16_t numberitems, const int16_t* values, int16_t valueslen,
                          std::optional<int16_t> partonly, int16_t* error_item) override;
  int16_t NODENUMBER_TO_NODENAME_(std::optional<int32_t> nodenumber, char* nodename,
                                  int16_t maxlen, int16_t* nodename_length) override;
  int16_t PROCESSOR_GETINFOLIST_(const char* nodename, std::optional<int16_t> nodename_length,
                                 std::optional<int16_t> cpu, const int16_t* attribute_list,
                                 int16_t attribute_count, int16_t* values_list,
                                 int16_t values_maxlen, int16_t* values_length,
                                 int16_t* error_detail) override;
  int16_t DNUMOUT(char* buffer, int32_t dnumber, int16_t base, std::optional<int16_t> width,
                  std::optional<int16_t> flags) override;

 private:
  bool TakeScripted(const std::string& procedure, int16_t* result);
  nsk::NameRules Names() const { return nsk::NameRules(defaults); }

  std::map<std::string, std::deque<int16_t>> scripted_;
  std::map<int16_t, std::string> open_files_;  // file number -> name
  std::map<int16_t, int16_t> last_error_;      // file number -> last error
  size_t search_next_ = 0;
  bool search_open_ = false;
};

}  // namespace sys

#endif  // KEYMEND_SYS_FAKE_GUARDIAN_H_
