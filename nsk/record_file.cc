#include "nsk/record_file.h"

namespace nsk {

int16_t RecordFile::WriteRecord(const char* data, int count) {
  return catalog_->AppendRecord(name_, std::string(data, static_cast<size_t>(count))).code;
}

}  // namespace nsk
