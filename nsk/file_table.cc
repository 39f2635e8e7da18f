#include "nsk/file_table.h"

#include "nsk/break_key.h"
#include "nsk/host_errors.h"

namespace nsk {

int16_t FileTable::Add(std::unique_ptr<OutFile> file) {
  if (static_cast<int>(files_.size()) >= kMaxOpenFiles) {
    open_error_ = err::kNoControlBlock;
    return -1;
  }
  const int16_t number = next_number_++;
  files_[number].file = std::move(file);
  open_error_ = err::kNone;
  return number;
}

sys::CC FileTable::Write(int16_t filenum, const char* buffer, int16_t write_count,
                         int16_t* count_written) {
  if (count_written != nullptr) *count_written = 0;
  auto it = files_.find(filenum);
  // FILEINFO reports 16 for a number that is not open; nothing to keep.
  if (it == files_.end()) return sys::CC::kLess;
  Entry& entry = it->second;
  int16_t error;
  if (write_count < 0) {
    error = err::kIllegalCount;
  } else if (buffer == nullptr && write_count > 0) {
    error = err::kBounds;
  } else if (TakeBreak()) {
    error = err::kBreak;
  } else {
    error = entry.file->WriteRecord(buffer != nullptr ? buffer : "", write_count);
  }
  entry.last_error = error;
  if (error != err::kNone) return sys::CC::kLess;
  entry.retries = 0;
  if (count_written != nullptr) *count_written = write_count;
  return sys::CC::kEqual;
}

sys::CC FileTable::Info(int16_t filenum, int16_t* error) const {
  int16_t value;
  sys::CC cc = sys::CC::kEqual;
  if (filenum == -1) {
    value = open_error_;
  } else if (auto it = files_.find(filenum); it != files_.end()) {
    value = it->second.last_error;
  } else {
    value = err::kFileNotOpen;
    cc = sys::CC::kLess;
  }
  if (error != nullptr) *error = value;
  return cc;
}

int16_t FileTable::Error(int16_t filenum) {
  auto it = files_.find(filenum);
  if (it == files_.end()) return 0;
  Entry& entry = it->second;
  if (entry.last_error == err::kNone || !IsRetryable(entry.last_error)) return 0;
  if (entry.retries >= kMaxRetries) return 0;
  ++entry.retries;
  return 1;
}

}  // namespace nsk
