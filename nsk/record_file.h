// An entry-sequenced disk file opened as an OUT file: each record written
// is appended to the file's records in the catalog, in one transaction of
// its own, so a record is either stored whole or not at all.
#ifndef KEYMEND_NSK_RECORD_FILE_H_
#define KEYMEND_NSK_RECORD_FILE_H_

#include <string>

#include "nsk/catalog.h"
#include "nsk/out_file.h"

namespace nsk {

class RecordFile : public OutFile {
 public:
  // `name` is the file's full name. REQUIRES: catalog outlives this.
  RecordFile(Catalog* catalog, std::string name) : catalog_(catalog), name_(std::move(name)) {}

  // 0, or the catalog's error: 11 when the file has been purged since the
  // open, 40 when the store stays locked, 45 or 122 from the host.
  int16_t WriteRecord(const char* data, int count) override;

 private:
  Catalog* catalog_;
  std::string name_;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_RECORD_FILE_H_
