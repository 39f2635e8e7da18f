// A thin layer over SQLite for the catalog: statements prepared once and
// reused, every step asking the fault hook first, and every failure turned
// into an nsk::Error in one place.
//
// A statement is reset when its Use guard goes out of scope, so a SELECT
// never keeps its read transaction past the call that ran it.
#ifndef KEYMEND_NSK_SQL_H_
#define KEYMEND_NSK_SQL_H_

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "nsk/fault.h"
#include "nsk/host_errors.h"

namespace nsk {

class Statement {
 public:
  Statement() = default;
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Prepares `sql` on `db` for repeated use. Returns the SQLite result code.
  int Prepare(sqlite3* db, const char* sql);

  // Binds parameter `index` (1-based). Text and blobs are copied.
  void Bind(int index, std::string_view text);
  void BindBlob(int index, std::string_view bytes);
  void Bind(int index, int64_t value);
  // Binds without copying. REQUIRES: the bytes stay as they are until the
  // statement is reset.
  void BindView(int index, std::string_view text);

  // One step, after asking the fault hook with `op`: SQLITE_ROW,
  // SQLITE_DONE or an error code.
  int Step(StoreOp op);

  // Columns of the current row.
  std::string Text(int column) const;
  std::string Blob(int column) const;
  // The blob into *out, whose storage is reused.
  void BlobInto(int column, std::string* out) const;
  int64_t Int(int column) const;

  // Back to the start with its bindings cleared.
  void Reset();

  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement when the scope ends, whatever path leaves it.
class Use {
 public:
  explicit Use(Statement& statement) : statement_(statement) {}
  ~Use() { statement_.Reset(); }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

 private:
  Statement& statement_;
};

// The Error for SQLite result `code` from `db` while doing `what`: the
// mapped Guardian number, and "what: SQLite's message" for people.
Error SqlError(sqlite3* db, int code, std::string_view what);

}  // namespace nsk

#endif  // KEYMEND_NSK_SQL_H_
