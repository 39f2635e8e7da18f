// The real Guardian platform: sys::Guardian over the node's catalog, the
// file table, the host terminal and the process's defaults.
//
// What each group of procedures rests on:
//   INITIALIZER                 the startup message built by the launcher
//   STOP, PROCESS_STOP_, ABEND  throw sys::ProcessEnded, which the launcher
//                               turns into the exit status (ExitStatusFor);
//                               unwinding closes the catalog cleanly
//   FILE_OPEN_, WRITE,          the file table (file_table.h) with the home
//   FILEINFO, FILEERROR         terminal and entry-sequenced OUT files
//   names                       nsk::NameRules with the process's defaults
//   search, labels              nsk::FileSearches and nsk::Labels
//   system information          system_info.h over the node settings
//   DNUMOUT                     nsk::NumberOut
//
// FILE_OPEN_ opens:
//   $TERM.#HOME (any case, optionally after the local node name): the home
//     terminal, which writes to `terminal_fd`;
//   an existing entry-sequenced disk file of the node that the process may
//     write: an OUT file, each WRITE appends one record.
// Anything else fails with file number -1: 13 illegal name (or wild
// cards), 14 another node, a device other than the home terminal, or a
// volume that does not exist, 11 no such file, 2 a disk file that is not
// entry-sequenced, 48 no write access, 34 too many open files. Partial
// names are completed from the process's defaults first.
#ifndef KEYMEND_NSK_PLATFORM_H_
#define KEYMEND_NSK_PLATFORM_H_

#include <memory>
#include <string>

#include "nsk/catalog.h"
#include "nsk/file_table.h"
#include "nsk/labels.h"
#include "nsk/names.h"
#include "nsk/search.h"
#include "nsk/startup_message.h"
#include "nsk/terminal.h"
#include "sys/guardian.h"

namespace nsk {

// What makes one process different from another.
struct ProcessSettings {
  NameDefaults defaults;               // node name, default volume and subvolume
  User user;                           // the Guardian user the process runs as
  StartupMessage startup;              // what INITIALIZER hands over
  int terminal_fd = 1;                 // the home terminal
  HostWrite terminal_write = nullptr;  // nullptr: write(2)
};

// Exit status of a process that ended: the completion code of STOP and
// PROCESS_STOP_ (0 to 255; a code outside that range gives 255, so that it
// never reads as success), 5 for ABEND whatever its code.
int ExitStatusFor(const sys::ProcessEnded& ended);

constexpr int kAbendExitStatus = 5;
constexpr char kAbendMessage[] = "KEYMEND: process abended";

class Platform : public sys::Guardian {
 public:
  // REQUIRES: `catalog` outlives the platform.
  Platform(Catalog* catalog, ProcessSettings process);
  ~Platform() override;

  int16_t INITIALIZER(int16_t* rucb, void* passthru, sys::StartupProcedure startupproc,
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
  sys::CC WRITE(int16_t filenum, const char* buffer, int16_t write_count, int16_t* count_written,
                std::optional<int32_t> tag) override;
  sys::CC FILEINFO(int16_t filenum, int16_t* error) override;
  int16_t FILEERROR(int16_t filenum) override;
  int16_t OLDFILENAME_TO_FILENAME_(const int16_t* oldfilename, char* filename, int16_t maxlen,
                                   int16_t* filename_length) override;
  int16_t FILENAME_DECOMPOSE_(const char* filename, int16_t length, char* piece, int16_t maxlen,
                              int16_t* piece_length, int16_t level, std::optional<int16_t> options,
                              std::optional<int16_t> subpart) override;
  int16_t FILENAME_EDIT_(char* filename, int16_t maxlen, int16_t* filename_length,
                         const char* piece, int16_t piece_length, int16_t level,
                         std::optional<int16_t> options, std::optional<int16_t> subpart) override;
  int16_t FILENAME_RESOLVE_(const char* partialname, int16_t length, char* fullname, int16_t maxlen,
                            int16_t* fullname_length, std::optional<int16_t> options,
                            const char* override_name, std::optional<int16_t> override_length,
                            const char* search, std::optional<int16_t> search_length,
                            const char* defaults, std::optional<int16_t> defaults_length) override;
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
  int16_t NODENUMBER_TO_NODENAME_(std::optional<int32_t> nodenumber, char* nodename, int16_t maxlen,
                                  int16_t* nodename_length) override;
  int16_t PROCESSOR_GETINFOLIST_(const char* nodename, std::optional<int16_t> nodename_length,
                                 std::optional<int16_t> cpu, const int16_t* attribute_list,
                                 int16_t attribute_count, int16_t* values_list,
                                 int16_t values_maxlen, int16_t* values_length,
                                 int16_t* error_detail) override;
  int16_t DNUMOUT(char* buffer, int32_t dnumber, int16_t base, std::optional<int16_t> width,
                  std::optional<int16_t> flags) override;

 private:
  // Finds what `name` opens; 0 and *file, or the error of the open.
  int16_t OpenTarget(const char* filename, int16_t length, std::unique_ptr<OutFile>* file);
  [[noreturn]] void End(sys::ProcessEnded::How how, int16_t completion_code);

  Catalog* catalog_;
  ProcessSettings process_;
  NameRules names_;
  FileTable files_;
  FileSearches searches_;
  Labels labels_;
  bool startup_delivered_ = false;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_PLATFORM_H_
