// Host failures as Guardian error numbers, in one place.
//
// Everything below the seam fails with a Guardian file-system error number
// and, for people, a message that names what failed in the host's words
// ("open(/x/catalog.db): Permission denied"). The table that turns SQLite
// result codes and errno values into numbers lives in host_errors.cc and is
// copied into docs/CATALOG.md.
#ifndef KEYMEND_NSK_HOST_ERRORS_H_
#define KEYMEND_NSK_HOST_ERRORS_H_

#include <cstdint>
#include <string>

namespace nsk {

// Guardian error numbers the platform hands out.
namespace err {
constexpr int16_t kNone = 0;
constexpr int16_t kEndOfFile = 1;         // also: no names remain in a search
constexpr int16_t kNotAllowedOnType = 2;  // e.g. records appended to a key-sequenced file
constexpr int16_t kAlreadyExists = 10;
constexpr int16_t kNotFound = 11;
constexpr int16_t kIllegalName = 13;
constexpr int16_t kFileNotOpen = 16;
constexpr int16_t kNoSuchDevice = 14;  // volume (or node) does not exist
constexpr int16_t kIllegalCount = 21;
constexpr int16_t kBounds = 22;  // parameter or buffer out of bounds
constexpr int16_t kMissingParameter = 29;
constexpr int16_t kNoControlBlock = 34;  // e.g. too many open searches
constexpr int16_t kTimedOut = 40;        // store stayed locked past the busy timeout
constexpr int16_t kFileFull = 45;
constexpr int16_t kSecurity = 48;
constexpr int16_t kFileSystemInternal = 53;
constexpr int16_t kFileBad = 59;        // catalog damaged: not a database, tables missing
constexpr int16_t kDeviceDown = 66;     // node directory or catalog unreachable
constexpr int16_t kBreak = 111;         // operation aborted by BREAK
constexpr int16_t kNoBufferSpace = 31;  // host out of memory
constexpr int16_t kDiskIo = 190;        // host disk I/O error ("device error")
constexpr int16_t kPathDown = 201;      // broken pipe, the reader went away
constexpr int16_t kBufferTooSmall = 563;
constexpr int16_t kBadParameterValue = 590;
}  // namespace err

// A failure: a Guardian error number, 0 for none, and a message for people.
// The message is empty when the number says it all.
struct Error {
  int16_t code = err::kNone;
  std::string message;

  bool ok() const { return code == err::kNone; }
};

inline Error Ok() { return Error{}; }
inline Error Fail(int16_t code, std::string message = std::string()) {
  return Error{code, std::move(message)};
}

// The Guardian number for an SQLite result code (primary or extended). 0
// for SQLITE_OK, SQLITE_ROW and SQLITE_DONE.
int16_t ErrorFromSqlite(int sqlite_code);

// The Guardian number for an errno value. 0 for 0. EINTR maps to 0 as well:
// callers retry an interrupted call themselves and never report it.
int16_t ErrorFromErrno(int errno_value);

// True when trying the same operation again may succeed: the error comes
// from a passing condition (a lock held by another process, an interrupted
// call), not from the data, the request or a broken device. FILEERROR
// answers "retry" only for these.
bool IsRetryable(int16_t guardian_error);

}  // namespace nsk

#endif  // KEYMEND_NSK_HOST_ERRORS_H_
