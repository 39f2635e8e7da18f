#include "nsk/sql.h"

namespace nsk {

Statement::~Statement() { sqlite3_finalize(stmt_); }

int Statement::Prepare(sqlite3* db, const char* sql) {
  sqlite3_finalize(stmt_);
  stmt_ = nullptr;
  return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
}

void Statement::Bind(int index, std::string_view text) {
  sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void Statement::BindBlob(int index, std::string_view bytes) {
  // A zero-length blob must still be a blob, not NULL.
  static const char kEmpty = 0;
  sqlite3_bind_blob(stmt_, index, bytes.empty() ? &kEmpty : bytes.data(),
                    static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

void Statement::BindView(int index, std::string_view text) {
  sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

void Statement::Bind(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }

int Statement::Step(StoreOp op) {
  if (int injected = FaultBefore(op)) return injected;
  return sqlite3_step(stmt_);
}

std::string Statement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text), size);
}

std::string Statement::Blob(int column) const {
  const void* bytes = sqlite3_column_blob(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  return bytes == nullptr ? std::string() : std::string(static_cast<const char*>(bytes), size);
}

void Statement::BlobInto(int column, std::string* out) const {
  const void* bytes = sqlite3_column_blob(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  if (bytes == nullptr) {
    out->clear();
  } else {
    out->assign(static_cast<const char*>(bytes), static_cast<size_t>(size));
  }
}

int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

Error SqlError(sqlite3* db, int code, std::string_view what) {
  std::string message(what);
  message += ": ";
  // An injected fault never reached SQLite, so the connection's own message
  // would describe some earlier call.
  const bool own = db != nullptr && sqlite3_extended_errcode(db) == code;
  message += own ? sqlite3_errmsg(db) : sqlite3_errstr(code);
  return Fail(ErrorFromSqlite(code), std::move(message));
}

}  // namespace nsk
