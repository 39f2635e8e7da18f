// The one table from host failures to Guardian error numbers. docs/CATALOG.md
// repeats it; change both together.
//
// SQLite result codes (extended codes first, then their primary code):
//   SQLITE_BUSY, SQLITE_LOCKED, SQLITE_PROTOCOL   40  still locked after the busy timeout
//   SQLITE_FULL                                   45  file is full (host disk full)
//   SQLITE_IOERR_NOMEM, SQLITE_NOMEM              31  no buffer space
//   SQLITE_IOERR (every other extended code)     190  device error (host I/O error)
//   SQLITE_CORRUPT, SQLITE_NOTADB, SQLITE_FORMAT  59  file is bad
//   SQLITE_CANTOPEN                               66  device down (catalog unreachable)
//   SQLITE_READONLY, SQLITE_PERM, SQLITE_AUTH     48  security violation
//   SQLITE_CONSTRAINT_PRIMARYKEY, _UNIQUE         10  already exists
//   SQLITE_CONSTRAINT_FOREIGNKEY                  14  device (volume) does not exist
//   SQLITE_CONSTRAINT (other), SQLITE_MISMATCH   590  bad parameter value
//   SQLITE_TOOBIG                                 21  illegal count
//   SQLITE_NOLFS                                  45  file is full
//   anything else                                 53  file-system internal error
//
// errno values:
//   EINTR                                          0  not an error: the caller retries
//   EAGAIN, EWOULDBLOCK, ETIMEDOUT                40  timed out
//   ENOSPC, EDQUOT, EFBIG                         45  file is full
//   EIO                                          190  device error
//   EPIPE, ECONNRESET                            201  path down (the reader went away)
//   EACCES, EPERM, EROFS                          48  security violation
//   ENOENT                                        11  not found
//   EEXIST                                        10  already exists
//   ENOTDIR, ENODEV, ENXIO                        14  device does not exist
//   ENAMETOOLONG                                  13  illegal name
//   ENOMEM                                        31  no buffer space
//   EBADF                                         16  file not open
//   EINVAL                                       590  bad parameter value
//   anything else                                 53  file-system internal error
//
// Only 40 is retryable: a lock held by another process goes away by itself.
// Everything else is a fact about the data, the request or the device that
// another try cannot change, so FILEERROR never retries it.
#include "nsk/host_errors.h"

#include <sqlite3.h>

#include <cerrno>

namespace nsk {

int16_t ErrorFromSqlite(int sqlite_code) {
  switch (sqlite_code) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return err::kNone;
    case SQLITE_IOERR_NOMEM:
      return err::kNoBufferSpace;
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
      return err::kAlreadyExists;
    case SQLITE_CONSTRAINT_FOREIGNKEY:
      return err::kNoSuchDevice;
    default:
      break;
  }
  switch (sqlite_code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
      return err::kTimedOut;
    case SQLITE_FULL:
    case SQLITE_NOLFS:
      return err::kFileFull;
    case SQLITE_NOMEM:
      return err::kNoBufferSpace;
    case SQLITE_IOERR:
      return err::kDiskIo;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
      return err::kFileBad;
    case SQLITE_CANTOPEN:
      return err::kDeviceDown;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return err::kSecurity;
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
      return err::kBadParameterValue;
    case SQLITE_TOOBIG:
      return err::kIllegalCount;
    default:
      return err::kFileSystemInternal;
  }
}

int16_t ErrorFromErrno(int errno_value) {
  switch (errno_value) {
    case 0:
    case EINTR:
      return err::kNone;
#if EAGAIN != EWOULDBLOCK
    case EWOULDBLOCK:
#endif
    case EAGAIN:
    case ETIMEDOUT:
      return err::kTimedOut;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return err::kFileFull;
    case EIO:
      return err::kDiskIo;
    case EPIPE:
    case ECONNRESET:
      return err::kPathDown;
    case EACCES:
    case EPERM:
    case EROFS:
      return err::kSecurity;
    case ENOENT:
      return err::kNotFound;
    case EEXIST:
      return err::kAlreadyExists;
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
      return err::kNoSuchDevice;
    case ENAMETOOLONG:
      return err::kIllegalName;
    case ENOMEM:
      return err::kNoBufferSpace;
    case EBADF:
      return err::kFileNotOpen;
    case EINVAL:
      return err::kBadParameterValue;
    default:
      return err::kFileSystemInternal;
  }
}

bool IsRetryable(int16_t guardian_error) { return guardian_error == err::kTimedOut; }

}  // namespace nsk
