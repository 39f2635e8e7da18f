#include "sys/fake_guardian.h"

#include <algorithm>
#include <cstring>

#include "nsk/number_out.h"

namespace sys {
namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// Builds one line of `calls`, adding only the parameters that were passed.
class CallLine {
 public:
  explicit CallLine(std::string_view name) : line_(name) { line_ += '('; }

  CallLine& Bytes(const char* param, const char* bytes, std::optional<int> length) {
    if (bytes == nullptr) return *this;
    Separate();
    line_ += param;
    line_ += "=\"";
    const int n = length.value_or(0) > 0 ? *length : 0;
    for (int i = 0; i < n; ++i) {
      const unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
        line_ += static_cast<char>(c);
      } else {
        static const char kHex[] = "0123456789ABCDEF";
        line_ += "\\x";
        line_ += kHex[c >> 4];
        line_ += kHex[c & 15];
      }
    }
    line_ += '"';
    return *this;
  }
  CallLine& Num(const char* param, std::optional<int64_t> value) {
    if (!value) return *this;
    Separate();
    line_ += param;
    line_ += '=';
    line_ += std::to_string(*value);
    return *this;
  }
  CallLine& Words(const char* param, const int16_t* words, int count) {
    if (words == nullptr) return *this;
    Separate();
    line_ += param;
    line_ += "={";
    for (int i = 0; i < count; ++i) {
      if (i > 0) line_ += ',';
      line_ += std::to_string(words[i]);
    }
    line_ += '}';
    return *this;
  }
  CallLine& Out(const char* param, const void* pointer) {
    if (pointer == nullptr) return *this;
    Separate();
    line_ += param;
    return *this;
  }
  std::string Done() { return line_ + ')'; }

 private:
  void Separate() {
    if (line_.back() != '(') line_ += ", ";
  }
  std::string line_;
};

std::optional<int64_t> Opt(std::optional<int16_t> v) {
  return v ? std::optional<int64_t>(*v) : std::nullopt;
}
std::optional<int64_t> Opt32(std::optional<int32_t> v) {
  return v ? std::optional<int64_t>(*v) : std::nullopt;
}

void PutWord(std::vector<uint8_t>* out, int16_t word) {
  uint8_t bytes[2];
  std::memcpy(bytes, &word, 2);
  out->push_back(bytes[0]);
  out->push_back(bytes[1]);
}

}  // namespace

std::string InternalName(std::string_view volume, std::string_view subvolume,
                         std::string_view fileid) {
  std::string out;
  for (std::string_view part : {volume, subvolume, fileid}) {
    std::string field(part.substr(0, 8));
    field.resize(8, ' ');
    out += field;
  }
  return out;
}

std::vector<int16_t> MakeStartupMessage(std::string_view volume, std::string_view subvolume,
                                        std::string_view in_file, std::string_view out_file,
                                        std::string_view parameters, int16_t* length_bytes) {
  std::string bytes(2, '\0');
  const int16_t code = -1;
  std::memcpy(bytes.data(), &code, 2);
  bytes += InternalName(volume, subvolume, "").substr(0, 16);
  std::string in(in_file.substr(0, 24));
  in.resize(24, ' ');
  std::string out(out_file.substr(0, 24));
  out.resize(24, ' ');
  bytes += in;
  bytes += out;
  bytes += parameters;
  *length_bytes = static_cast<int16_t>(bytes.size());
  std::vector<int16_t> words((bytes.size() + 1) / 2, 0);
  std::memcpy(words.data(), bytes.data(), bytes.size());
  return words;
}

std::vector<uint8_t> MakeAltKeyList(const std::vector<AltKeyDescriptor>& keys,
                                    const std::vector<std::string>& files) {
  std::vector<uint8_t> out;
  PutWord(&out, static_cast<int16_t>(keys.size()));
  for (const AltKeyDescriptor& k : keys) {
    for (int16_t w : {k.specifier, k.length, k.offset, k.file_number, k.null_value, k.attributes}) {
      PutWord(&out, w);
    }
  }
  PutWord(&out, static_cast<int16_t>(files.size()));
  for (const std::string& f : files) PutWord(&out, static_cast<int16_t>(f.size()));
  for (const std::string& f : files) out.insert(out.end(), f.begin(), f.end());
  return out;
}

FakeGuardian::FakeGuardian() { defaults.node = node_name; }

std::vector<std::string> FakeGuardian::CallsTo(std::string_view name) const {
  std::vector<std::string> out;
  for (const std::string& line : calls) {
    if (line.size() > name.size() && line.compare(0, name.size(), name) == 0 &&
        line[name.size()] == '(') {
      out.push_back(line);
    }
  }
  return out;
}

void FakeGuardian::ScriptResult(const std::string& procedure, int16_t result) {
  scripted_[procedure].push_back(result);
}

bool FakeGuardian::TakeScripted(const std::string& procedure, int16_t* result) {
  auto it = scripted_.find(procedure);
  if (it == scripted_.end() || it->second.empty()) return false;
  *result = it->second.front();
  it->second.pop_front();
  return true;
}

// ---- Process start and end ------------------------------------------------

int16_t FakeGuardian::INITIALIZER(int16_t* rucb, void* passthru, StartupProcedure startupproc,
                                  void* paramsproc, void* assignproc,
                                  std::optional<int16_t> flags,
                                  std::optional<int32_t> timelimit) {
  calls.push_back(CallLine("INITIALIZER")
                      .Out("rucb", rucb)
                      .Out("passthru", passthru)
                      .Out("startupproc", reinterpret_cast<const void*>(startupproc))
                      .Out("paramsproc", paramsproc)
                      .Out("assignproc", assignproc)
                      .Num("flags", Opt(flags))
                      .Num("timelimit", Opt32(timelimit))
                      .Done());
  int16_t result;
  if (TakeScripted("INITIALIZER", &result)) return result;
  if (startupproc != nullptr) {
    int16_t rucb_words[64] = {};
    startupproc(rucb_words, nullptr, startup_message.data(), startup_message_length, 0);
  }
  return 0;
}

void FakeGuardian::STOP(const int16_t* processid, std::optional<int16_t> stop_backup,
                        int16_t* error, std::optional<int16_t> completion_code) {
  calls.push_back(CallLine("STOP")
                      .Out("processid", processid)
                      .Num("stop_backup", Opt(stop_backup))
                      .Out("error", error)
                      .Num("completion_code", Opt(completion_code))
                      .Done());
  throw ProcessEnded{ProcessEnded::How::kStop, completion_code.value_or(kCompletionNormal)};
}

void FakeGuardian::PROCESS_STOP_(const int16_t* processhandle, std::optional<int16_t> specifier,
                                 std::optional<int16_t> options,
                                 std::optional<int16_t> completion_code) {
  calls.push_back(CallLine("PROCESS_STOP_")
                      .Out("processhandle", processhandle)
                      .Num("specifier", Opt(specifier))
                      .Num("options", Opt(options))
                      .Num("completion_code", Opt(completion_code))
                      .Done());
  throw ProcessEnded{ProcessEnded::How::kProcessStop,
                     completion_code.value_or(kCompletionNormal)};
}

void FakeGuardian::ABEND(const int16_t* processid, std::optional<int16_t> stop_backup,
                         int16_t* error, std::optional<int16_t> completion_code) {
  calls.push_back(CallLine("ABEND")
                      .Out("processid", processid)
                      .Num("stop_backup", Opt(stop_backup))
                      .Out("error", error)
                      .Num("completion_code", Opt(completion_code))
                      .Done());
  throw ProcessEnded{ProcessEnded::How::kAbend, completion_code.value_or(kCompletionAbend)};
}

// ---- File I/O ---------------------------------------------------------------

int16_t FakeGuardian::FILE_OPEN_(const char* filename, int16_t length, int16_t* filenum,
                                 std::optional<int16_t> access, std::optional<int16_t> exclusion,
                                 std::optional<int16_t> nowait_depth,
                                 std::optional<int16_t> sync_or_receive_depth,
                                 std::optional<int16_t> options) {
  calls.push_back(CallLine("FILE_OPEN_")
                      .Bytes("filename", filename, length)
                      .Num("length", length)
                      .Out("filenum", filenum)
                      .Num("access", Opt(access))
                      .Num("exclusion", Opt(exclusion))
                      .Num("nowait_depth", Opt(nowait_depth))
                      .Num("sync_or_receive_depth", Opt(sync_or_receive_depth))
                      .Num("options", Opt(options))
                      .Done());
  int16_t result;
  if (TakeScripted("FILE_OPEN_", &result)) {
    if (filenum != nullptr) *filenum = -1;
    return result;
  }
  const std::string name = Upper(std::string_view(filename, length > 0 ? length : 0));
  int16_t number = -1;
  if (name == "$TERM.#HOME") {
    number = 1;
  } else if (std::find(openable.begin(), openable.end(), name) != openable.end()) {
    number = static_cast<int16_t>(2 + open_files_.size());
  }
  if (filenum != nullptr) *filenum = number;
  if (number < 0) return 11;
  open_files_[number] = name;
  return 0;
}

CC FakeGuardian::WRITE(int16_t filenum, const char* buffer, int16_t write_count,
                       int16_t* count_written, std::optional<int32_t> tag) {
  calls.push_back(CallLine("WRITE")
                      .Num("filenum", filenum)
                      .Bytes("buffer", buffer, write_count)
                      .Num("write_count", write_count)
                      .Out("count_written", count_written)
                      .Num("tag", Opt32(tag))
                      .Done());
  int16_t error = 0;
  if (!write_errors.empty()) {
    error = write_errors.front();
    write_errors.pop_front();
  } else if (open_files_.count(filenum) == 0) {
    error = 16;  // file not open
  }
  last_error_[filenum] = error;
  if (error != 0) return CC::kLess;
  std::string record(buffer, write_count > 0 ? write_count : 0);
  if (filenum == 1) {
    terminal.push_back(record);
  } else {
    written[filenum].push_back(record);
  }
  if (count_written != nullptr) *count_written = write_count;
  return CC::kEqual;
}

CC FakeGuardian::FILEINFO(int16_t filenum, int16_t* error) {
  calls.push_back(CallLine("FILEINFO").Num("filenum", filenum).Out("error", error).Done());
  if (error != nullptr) *error = last_error_[filenum];
  return CC::kEqual;
}

int16_t FakeGuardian::FILEERROR(int16_t filenum) {
  calls.push_back(CallLine("FILEERROR").Num("filenum", filenum).Done());
  if (fileerror_answers.empty()) return 0;
  const int16_t answer = fileerror_answers.front();
  fileerror_answers.pop_front();
  return answer;
}

// ---- File names ---------------------------------------------------------------

int16_t FakeGuardian::OLDFILENAME_TO_FILENAME_(const int16_t* oldfilename, char* filename,
                                               int16_t maxlen, int16_t* filename_length) {
  calls.push_back(CallLine("OLDFILENAME_TO_FILENAME_")
                      .Bytes("oldfilename", reinterpret_cast<const char*>(oldfilename), 24)
                      .Out("filename", filename)
                      .Num("maxlen", maxlen)
                      .Out("filename_length", filename_length)
                      .Done());
  int16_t result;
  if (TakeScripted("OLDFILENAME_TO_FILENAME_", &result)) return result;
  return Names().OldFileNameToFileName(oldfilename, filename, maxlen, filename_length);
}

int16_t FakeGuardian::FILENAME_DECOMPOSE_(const char* filename, int16_t length, char* piece,
                                          int16_t maxlen, int16_t* piece_length, int16_t level,
                                          std::optional<int16_t> options,
                                          std::optional<int16_t> subpart) {
  calls.push_back(CallLine("FILENAME_DECOMPOSE_")
                      .Bytes("filename", filename, length)
                      .Num("length", length)
                      .Out("piece", piece)
                      .Num("maxlen", maxlen)
                      .Out("piece_length", piece_length)
                      .Num("level", level)
                      .Num("options", Opt(options))
                      .Num("subpart", Opt(subpart))
                      .Done());
  int16_t result;
  if (TakeScripted("FILENAME_DECOMPOSE_", &result)) return result;
  return Names().Decompose(filename, length, piece, maxlen, piece_length, level, options, subpart);
}

int16_t FakeGuardian::FILENAME_EDIT_(char* filename, int16_t maxlen, int16_t* filename_length,
                                     const char* piece, int16_t piece_length, int16_t level,
                                     std::optional<int16_t> options,
                                     std::optional<int16_t> subpart) {
  calls.push_back(CallLine("FILENAME_EDIT_")
                      .Bytes("filename", filename, filename_length ? *filename_length : 0)
                      .Num("maxlen", maxlen)
                      .Out("filename_length", filename_length)
                      .Bytes("piece", piece, piece_length)
                      .Num("piece_length", piece_length)
                      .Num("level", level)
                      .Num("options", Opt(options))
                      .Num("subpart", Opt(subpart))
                      .Done());
  int16_t result;
  if (TakeScripted("FILENAME_EDIT_", &result)) return result;
  return Names().Edit(filename, maxlen, filename_length, piece, piece_length, level, options,
                      subpart);
}

int16_t FakeGuardian::FILENAME_RESOLVE_(const char* partialname, int16_t length, char* fullname,
                                        int16_t maxlen, int16_t* fullname_length,
                                        std::optional<int16_t> options, const char* override_name,
                                        std::optional<int16_t> override_length,
                                        const char* search, std::optional<int16_t> search_length,
                                        const char* defaults_name,
                                        std::optional<int16_t> defaults_length) {
  calls.push_back(CallLine("FILENAME_RESOLVE_")
                      .Bytes("partialname", partialname, length)
                      .Num("length", length)
                      .Out("fullname", fullname)
                      .Num("maxlen", maxlen)
                      .Out("fullname_length", fullname_length)
                      .Num("options", Opt(options))
                      .Bytes("override_name", override_name, override_length)
                      .Num("override_length", Opt(override_length))
                      .Bytes("search", search, search_length)
                      .Num("search_length", Opt(search_length))
                      .Bytes("defaults", defaults_name, defaults_length)
                      .Num("defaults_length", Opt(defaults_length))
                      .Done());
  int16_t result;
  if (TakeScripted("FILENAME_RESOLVE_", &result)) return result;
  return Names().Resolve(partialname, length, fullname, maxlen, fullname_length, options,
                         override_name, override_length, search, search_length, defaults_name,
                         defaults_length);
}

// ---- File-name search -----------------------------------------------------------

int16_t FakeGuardian::FILENAME_FINDSTART_(int16_t* searchid, const char* searchname,
                                          std::optional<int16_t> length,
                                          std::optional<int16_t> resolvelevel,
                                          std::optional<int16_t> devicetype,
                                          std::optional<int16_t> devicesubtype,
                                          std::optional<int16_t> options, const char* startafter,
                                          std::optional<int16_t> startafter_length) {
  calls.push_back(CallLine("FILENAME_FINDSTART_")
                      .Out("searchid", searchid)
                      .Bytes("searchname", searchname, length)
                      .Num("length", Opt(length))
                      .Num("resolvelevel", Opt(resolvelevel))
                      .Num("devicetype", Opt(devicetype))
                      .Num("devicesubtype", Opt(devicesubtype))
                      .Num("options", Opt(options))
                      .Bytes("startafter", startafter, startafter_length)
                      .Num("startafter_length", Opt(startafter_length))
                      .Done());
  int16_t result;
  if (TakeScripted("FILENAME_FINDSTART_", &result)) return result;
  if (searchid != nullptr) *searchid = 7;
  search_next_ = 0;
  search_open_ = true;
  return 0;
}

int16_t FakeGuardian::FILENAME_FINDNEXT_(int16_t searchid, char* name,
                                         std::optional<int16_t> maxlen, int16_t* namelen,
                                         int16_t* entityinfo, std::optional<int32_t> tag) {
  calls.push_back(CallLine("FILENAME_FINDNEXT_")
                      .Num("searchid", searchid)
                      .Out("name", name)
                      .Num("maxlen", Opt(maxlen))
                      .Out("namelen", namelen)
                      .Out("entityinfo", entityinfo)
                      .Num("tag", Opt32(tag))
                      .Done());
  int16_t result;
  if (TakeScripted("FILENAME_FINDNEXT_", &result)) return result;
  if (!search_open_ || searchid != 7) return 590;
  if (search_next_ >= search_names.size()) return 1;
  const std::string& found = search_names[search_next_++];
  if (name != nullptr) {
    const size_t room = maxlen && *maxlen > 0 ? static_cast<size_t>(*maxlen) : 0;
    if (found.size() > room) return 563;
    std::memcpy(name, found.data(), found.size());
  }
  if (namelen != nullptr) *namelen = static_cast<int16_t>(found.size());
  if (entityinfo != nullptr) {
    const int16_t info[5] = {kDeviceTypeDisk, 0, 0, 0, 0};
    std::memcpy(entityinfo, info, sizeof info);
  }
  return 0;
}

int16_t FakeGuardian::FILENAME_FINDFINISH_(int16_t searchid) {
  calls.push_back(CallLine("FILENAME_FINDFINISH_").Num("searchid", searchid).Done());
  int16_t result;
  if (TakeScripted("FILENAME_FINDFINISH_", &result)) return result;
  if (!search_open_ || searchid != 7) return 590;
  search_open_ = false;
  return 0;
}

// ---- File labels ------------------------------------------------------------------

int16_t FakeGuardian::FILE_GETINFOBYNAME_(const char* filename, int16_t length, int16_t* typeinfo,
                                          int16_t* physical_recordlen,
                                          std::optional<int16_t> options,
                                          std::optional<int32_t> timeout) {
  calls.push_back(CallLine("FILE_GETINFOBYNAME_")
                      .Bytes("filename", filename, length)
                      .Num("length", length)
                      .Out("typeinfo", typeinfo)
                      .Out("physical_recordlen", physical_recordlen)
                      .Num("options", Opt(options))
                      .Num("timeout", Opt32(timeout))
                      .Done());
  int16_t result;
  if (TakeScripted("FILE_GETINFOBYNAME_", &result)) return result;
  auto it = files.find(Upper(std::string_view(filename, length > 0 ? length : 0)));
  if (it == files.end()) return 11;
  if (typeinfo != nullptr) {
    const int16_t info[5] = {kDeviceTypeDisk, 0, 0, it->second.type, it->second.code};
    std::memcpy(typeinfo, info, sizeof info);
  }
  if (physical_recordlen != nullptr) *physical_recordlen = 4096;
  return 0;
}

int16_t FakeGuardian::FILE_GETINFOLISTBYNAME_(const char* filename, int16_t length,
                                              const int16_t* itemlist, int16_t numberitems,
                                              int16_t* result, int16_t result_max,
                                              int16_t* result_length, int16_t* error_item) {
  calls.push_back(CallLine("FILE_GETINFOLISTBYNAME_")
                      .Bytes("filename", filename, length)
                      .Num("length", length)
                      .Words("itemlist", itemlist, numberitems)
                      .Num("numberitems", numberitems)
                      .Out("result", result)
                      .Num("result_max", result_max)
                      .Out("result_length", result_length)
                      .Out("error_item", error_item)
                      .Done());
  int16_t scripted_error = 0;
  const bool scripted = TakeScripted("FILE_GETINFOLISTBYNAME_", &scripted_error);
  // A scripted error of 10 or more fails the call; one below 10 still
  // delivers the list, as a warning does on Guardian.
  if (scripted && scripted_error >= 10) return scripted_error;
  auto it = files.find(Upper(std::string_view(filename, length > 0 ? length : 0)));
  if (it == files.end()) return 11;
  const std::vector<uint8_t>& list = it->second.altlist;
  const size_t room = result_max > 0 ? static_cast<size_t>(result_max) : 0;
  const size_t n = std::min(list.size(), room);
  if (result != nullptr && n > 0) std::memcpy(result, list.data(), n);
  if (result_length != nullptr) *result_length = static_cast<int16_t>(n);
  return scripted ? scripted_error : 0;
}

int16_t FakeGuardian::FILE_ALTERLIST_(const char* filename, int16_t length,
                                      const int16_t* itemlist, int16_t numberitems,
                                      const int16_t* values, int16_t valueslen,
                                      std::optional<int16_t> partonly, int16_t* error_item) {
  calls.push_back(CallLine("FILE_ALTERLIST_")
                      .Bytes("filename", filename, length)
                      .Num("length", length)
                      .Words("itemlist", itemlist, numberitems)
                      .Num("numberitems", numberitems)
                      .Bytes("values", reinterpret_cast<const char*>(values), valueslen)
                      .Num("valueslen", valueslen)
                      .Num("partonly", Opt(partonly))
                      .Out("error_item", error_item)
                      .Done());
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(values);
  alterlist_values.emplace_back(bytes, bytes + (valueslen > 0 ? valueslen : 0));
  int16_t result;
  if (TakeScripted("FILE_ALTERLIST_", &result)) {
    // Below 10 the label is written, as a warning leaves it on Guardian.
    if (result >= 10) return result;
  } else {
    result = 0;
  }
  auto it = files.find(Upper(std::string_view(filename, length > 0 ? length : 0)));
  if (it == files.end()) return 11;
  it->second.altlist = alterlist_values.back();
  return result;
}

// ---- System information -------------------------------------------------------------

int16_t FakeGuardian::NODENUMBER_TO_NODENAME_(std::optional<int32_t> nodenumber, char* nodename,
                                              int16_t maxlen, int16_t* nodename_length) {
  calls.push_back(CallLine("NODENUMBER_TO_NODENAME_")
                      .Num("nodenumber", Opt32(nodenumber))
                      .Out("nodename", nodename)
                      .Num("maxlen", maxlen)
                      .Out("nodename_length", nodename_length)
                      .Done());
  int16_t result;
  if (TakeScripted("NODENUMBER_TO_NODENAME_", &result)) return result;
  if (static_cast<int>(node_name.size()) > maxlen) return 563;
  std::memcpy(nodename, node_name.data(), node_name.size());
  if (nodename_length != nullptr) *nodename_length = static_cast<int16_t>(node_name.size());
  return 0;
}

int16_t FakeGuardian::PROCESSOR_GETINFOLIST_(const char* nodename,
                                             std::optional<int16_t> nodename_length,
                                             std::optional<int16_t> cpu,
                                             const int16_t* attribute_list,
                                             int16_t attribute_count, int16_t* values_list,
                                             int16_t values_maxlen, int16_t* values_length,
                                             int16_t* error_detail) {
  calls.push_back(CallLine("PROCESSOR_GETINFOLIST_")
                      .Bytes("nodename", nodename, nodename_length)
                      .Num("nodename_length", Opt(nodename_length))
                      .Num("cpu", Opt(cpu))
                      .Words("attribute_list", attribute_list, attribute_count)
                      .Num("attribute_count", attribute_count)
                      .Out("values_list", values_list)
                      .Num("values_maxlen", values_maxlen)
                      .Out("values_length", values_length)
                      .Out("error_detail", error_detail)
                      .Done());
  int16_t result;
  if (TakeScripted("PROCESSOR_GETINFOLIST_", &result)) return result;
  int16_t n = 0;
  for (int i = 0; i < attribute_count && n < values_maxlen; ++i) {
    if (attribute_list[i] == kAttributeOsVersion) {
      values_list[n++] = os_version_word;
    } else if (attribute_list[i] == kAttributeOsUpdate) {
      values_list[n++] = os_update_word;
    } else {
      return 2;
    }
  }
  if (values_length != nullptr) *values_length = n;
  return 0;
}

int16_t FakeGuardian::DNUMOUT(char* buffer, int32_t dnumber, int16_t base,
                              std::optional<int16_t> width, std::optional<int16_t> flags) {
  calls.push_back(CallLine("DNUMOUT")
                      .Out("buffer", buffer)
                      .Num("dnumber", dnumber)
                      .Num("base", base)
                      .Num("width", Opt(width))
                      .Num("flags", Opt(flags))
                      .Done());
  return nsk::NumberOut(buffer, dnumber, base, width, flags);
}

}  // namespace sys
