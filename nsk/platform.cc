#include "nsk/platform.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "nsk/break_key.h"
#include "nsk/host_errors.h"
#include "nsk/name_parts.h"
#include "nsk/number_out.h"
#include "nsk/record_file.h"
#include "nsk/system_info.h"

namespace nsk {
namespace {}  // namespace

int ExitStatusFor(const sys::ProcessEnded& ended) {
  if (ended.how == sys::ProcessEnded::How::kAbend) return kAbendExitStatus;
  const int code = ended.completion_code;
  return code >= 0 && code <= 255 ? code : 255;
}

Platform::Platform(Catalog* catalog, ProcessSettings process)
    : catalog_(catalog),
      process_(std::move(process)),
      names_(process_.defaults),
      searches_(catalog, &names_),
      labels_(catalog, &names_, process_.user) {}

Platform::~Platform() = default;

// ---- Process start and end ------------------------------------------------------

int16_t Platform::INITIALIZER(int16_t* rucb, void* passthru, sys::StartupProcedure startupproc,
                              void* /*paramsproc*/, void* /*assignproc*/,
                              std::optional<int16_t> /*flags*/,
                              std::optional<int32_t> /*timelimit*/) {
  // A process receives one startup message; it is read once.
  if (startup_delivered_) return err::kEndOfFile;
  startup_delivered_ = true;
  if (startupproc != nullptr) {
    startupproc(rucb, passthru, process_.startup.words.data(), process_.startup.length, 0);
  }
  return err::kNone;
}

void Platform::End(sys::ProcessEnded::How how, int16_t completion_code) {
  throw sys::ProcessEnded{how, completion_code};
}

void Platform::STOP(const int16_t* processid, std::optional<int16_t> /*stop_backup*/,
                    int16_t* /*error*/, std::optional<int16_t> completion_code) {
  if (processid != nullptr) {
    std::fputs("KEYMEND: STOP of another process refused\n", stderr);
    ABEND(nullptr, {}, nullptr, {});
  }
  End(sys::ProcessEnded::How::kStop, completion_code.value_or(sys::kCompletionNormal));
}

void Platform::PROCESS_STOP_(const int16_t* processhandle, std::optional<int16_t> /*specifier*/,
                             std::optional<int16_t> /*options*/,
                             std::optional<int16_t> completion_code) {
  if (processhandle != nullptr) {
    std::fputs("KEYMEND: PROCESS_STOP_ of another process refused\n", stderr);
    ABEND(nullptr, {}, nullptr, {});
  }
  End(sys::ProcessEnded::How::kProcessStop, completion_code.value_or(sys::kCompletionNormal));
}

void Platform::ABEND(const int16_t* /*processid*/, std::optional<int16_t> /*stop_backup*/,
                     int16_t* /*error*/, std::optional<int16_t> completion_code) {
  // Whatever process id is passed, the caller itself ends: an ABEND must
  // never come back.
  std::fputs(kAbendMessage, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  End(sys::ProcessEnded::How::kAbend, completion_code.value_or(sys::kCompletionAbend));
}

// ---- File I/O -----------------------------------------------------------------

int16_t Platform::OpenTarget(const char* filename, int16_t length, std::unique_ptr<OutFile>* file) {
  if (filename == nullptr) return err::kMissingParameter;
  if (length <= 0) return err::kIllegalName;
  NameParts parts;
  if (SplitName(filename, length, NameMode::kExact, &parts) != 0) return err::kIllegalName;
  if (!parts.node.empty() && !SameIgnoringCase(parts.node, process_.defaults.node)) {
    return err::kNoSuchDevice;
  }
  if (parts.volume == "$TERM" && parts.subvolume == "#HOME" && parts.file.empty()) {
    *file = std::make_unique<Terminal>(process_.terminal_fd, process_.terminal_write);
    return err::kNone;
  }
  if (!parts.volume.empty() && (parts.subvolume.empty() || parts.subvolume[0] == '#')) {
    return err::kNoSuchDevice;  // the home terminal is the only device
  }

  char full[64];
  int16_t full_length = 0;
  NameParts resolved;
  if (names_.Resolve(filename, length, full, sizeof full, &full_length, {}, nullptr, {}, nullptr,
                     {}, nullptr, {}) != 0 ||
      SplitName(full, full_length, NameMode::kExact, &resolved) != 0 || resolved.file.empty()) {
    return err::kIllegalName;
  }
  FileEntry entry;
  if (Error e = catalog_->GetFile(std::string(full, static_cast<size_t>(full_length)), &entry);
      !e.ok()) {
    if (e.code != err::kNotFound) return e.code;
    // Guardian tells a missing volume from a missing file.
    bool volume_exists = true;
    if (catalog_->VolumeExists(resolved.volume, &volume_exists).ok() && !volume_exists) {
      return err::kNoSuchDevice;
    }
    return err::kNotFound;
  }
  if (entry.file_type != 2) return err::kNotAllowedOnType;
  if (!MayAccess(process_.user, entry.owner, entry.security, Access::kWrite)) {
    return err::kSecurity;
  }
  *file = std::make_unique<RecordFile>(catalog_, entry.name);
  return err::kNone;
}

int16_t Platform::FILE_OPEN_(const char* filename, int16_t length, int16_t* filenum,
                             std::optional<int16_t> /*access*/,
                             std::optional<int16_t> /*exclusion*/,
                             std::optional<int16_t> /*nowait_depth*/,
                             std::optional<int16_t> /*sync_or_receive_depth*/,
                             std::optional<int16_t> /*options*/) {
  std::unique_ptr<OutFile> file;
  int16_t error = OpenTarget(filename, length, &file);
  int16_t number = -1;
  if (error == err::kNone) {
    number = files_.Add(std::move(file));
    if (number < 0) error = err::kNoControlBlock;
  } else {
    files_.SetOpenError(error);
  }
  if (filenum != nullptr) *filenum = number;
  return error;
}

sys::CC Platform::WRITE(int16_t filenum, const char* buffer, int16_t write_count,
                        int16_t* count_written, std::optional<int32_t> /*tag*/) {
  return files_.Write(filenum, buffer, write_count, count_written);
}

sys::CC Platform::FILEINFO(int16_t filenum, int16_t* error) { return files_.Info(filenum, error); }

int16_t Platform::FILEERROR(int16_t filenum) { return files_.Error(filenum); }

// ---- File names -----------------------------------------------------------------

int16_t Platform::OLDFILENAME_TO_FILENAME_(const int16_t* oldfilename, char* filename,
                                           int16_t maxlen, int16_t* filename_length) {
  return names_.OldFileNameToFileName(oldfilename, filename, maxlen, filename_length);
}

int16_t Platform::FILENAME_DECOMPOSE_(const char* filename, int16_t length, char* piece,
                                      int16_t maxlen, int16_t* piece_length, int16_t level,
                                      std::optional<int16_t> options,
                                      std::optional<int16_t> subpart) {
  return names_.Decompose(filename, length, piece, maxlen, piece_length, level, options, subpart);
}

int16_t Platform::FILENAME_EDIT_(char* filename, int16_t maxlen, int16_t* filename_length,
                                 const char* piece, int16_t piece_length, int16_t level,
                                 std::optional<int16_t> options, std::optional<int16_t> subpart) {
  return names_.Edit(filename, maxlen, filename_length, piece, piece_length, level, options,
                     subpart);
}

int16_t Platform::FILENAME_RESOLVE_(const char* partialname, int16_t length, char* fullname,
                                    int16_t maxlen, int16_t* fullname_length,
                                    std::optional<int16_t> options, const char* override_name,
                                    std::optional<int16_t> override_length, const char* search,
                                    std::optional<int16_t> search_length, const char* defaults,
                                    std::optional<int16_t> defaults_length) {
  return names_.Resolve(partialname, length, fullname, maxlen, fullname_length, options,
                        override_name, override_length, search, search_length, defaults,
                        defaults_length);
}

// ---- File-name search -------------------------------------------------------------

int16_t Platform::FILENAME_FINDSTART_(int16_t* searchid, const char* searchname,
                                      std::optional<int16_t> length,
                                      std::optional<int16_t> resolvelevel,
                                      std::optional<int16_t> devicetype,
                                      std::optional<int16_t> devicesubtype,
                                      std::optional<int16_t> options, const char* startafter,
                                      std::optional<int16_t> startafter_length) {
  return searches_.Start(searchid, searchname, length, resolvelevel, devicetype, devicesubtype,
                         options, startafter, startafter_length);
}

int16_t Platform::FILENAME_FINDNEXT_(int16_t searchid, char* name, std::optional<int16_t> maxlen,
                                     int16_t* namelen, int16_t* entityinfo,
                                     std::optional<int32_t> tag) {
  return searches_.Next(searchid, name, maxlen, namelen, entityinfo, tag);
}

int16_t Platform::FILENAME_FINDFINISH_(int16_t searchid) { return searches_.Finish(searchid); }

// ---- File labels -------------------------------------------------------------------

int16_t Platform::FILE_GETINFOBYNAME_(const char* filename, int16_t length, int16_t* typeinfo,
                                      int16_t* physical_recordlen, std::optional<int16_t> options,
                                      std::optional<int32_t> timeout) {
  return labels_.GetInfoByName(filename, length, typeinfo, physical_recordlen, options, timeout);
}

int16_t Platform::FILE_GETINFOLISTBYNAME_(const char* filename, int16_t length,
                                          const int16_t* itemlist, int16_t numberitems,
                                          int16_t* result, int16_t result_max,
                                          int16_t* result_length, int16_t* error_item) {
  return labels_.GetInfoListByName(filename, length, itemlist, numberitems, result, result_max,
                                   result_length, error_item);
}

int16_t Platform::FILE_ALTERLIST_(const char* filename, int16_t length, const int16_t* itemlist,
                                  int16_t numberitems, const int16_t* values, int16_t valueslen,
                                  std::optional<int16_t> partonly, int16_t* error_item) {
  return labels_.AlterList(filename, length, itemlist, numberitems, values, valueslen, partonly,
                           error_item);
}

// ---- System information ---------------------------------------------------------------

int16_t Platform::NODENUMBER_TO_NODENAME_(std::optional<int32_t> nodenumber, char* nodename,
                                          int16_t maxlen, int16_t* nodename_length) {
  return NodeNumberToNodeName(catalog_->settings(), nodenumber, nodename, maxlen, nodename_length);
}

int16_t Platform::PROCESSOR_GETINFOLIST_(const char* nodename,
                                         std::optional<int16_t> nodename_length,
                                         std::optional<int16_t> cpu, const int16_t* attribute_list,
                                         int16_t attribute_count, int16_t* values_list,
                                         int16_t values_maxlen, int16_t* values_length,
                                         int16_t* error_detail) {
  return ProcessorGetInfoList(catalog_->settings(), nodename, nodename_length, cpu, attribute_list,
                              attribute_count, values_list, values_maxlen, values_length,
                              error_detail);
}

int16_t Platform::DNUMOUT(char* buffer, int32_t dnumber, int16_t base, std::optional<int16_t> width,
                          std::optional<int16_t> flags) {
  return NumberOut(buffer, dnumber, base, width, flags);
}

}  // namespace nsk
