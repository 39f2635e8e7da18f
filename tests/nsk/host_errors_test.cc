#include "nsk/host_errors.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>

namespace nsk {
namespace {

TEST(HostErrorsTest, SqliteCodes) {
  struct Case {
    int code;
    int16_t error;
  } cases[] = {
      {SQLITE_OK, 0},
      {SQLITE_DONE, 0},
      {SQLITE_BUSY, 40},
      {SQLITE_BUSY_SNAPSHOT, 40},
      {SQLITE_LOCKED, 40},
      {SQLITE_FULL, 45},
      {SQLITE_IOERR, 190},
      {SQLITE_IOERR_WRITE, 190},
      {SQLITE_IOERR_FSYNC, 190},
      {SQLITE_IOERR_NOMEM, 31},
      {SQLITE_CORRUPT, 59},
      {SQLITE_NOTADB, 59},
      {SQLITE_CANTOPEN, 66},
      {SQLITE_READONLY, 48},
      {SQLITE_CONSTRAINT_UNIQUE, 10},
      {SQLITE_CONSTRAINT_PRIMARYKEY, 10},
      {SQLITE_CONSTRAINT_FOREIGNKEY, 14},
      {SQLITE_CONSTRAINT_CHECK, 590},
      {SQLITE_ERROR, 53},
  };
  for (const Case& c : cases) EXPECT_EQ(c.error, ErrorFromSqlite(c.code)) << c.code;
}

TEST(HostErrorsTest, ErrnoValues) {
  struct Case {
    int errno_value;
    int16_t error;
  } cases[] = {
      {0, 0},      {EINTR, 0},    {EAGAIN, 40}, {ENOSPC, 45}, {EDQUOT, 45},
      {EIO, 190},  {EPIPE, 201},  {EACCES, 48}, {ENOENT, 11}, {EEXIST, 10},
      {EBADF, 16}, {EINVAL, 590}, {ENOMEM, 31}, {ELOOP, 53},
  };
  for (const Case& c : cases) EXPECT_EQ(c.error, ErrorFromErrno(c.errno_value)) << c.errno_value;
}

TEST(HostErrorsTest, OnlyALockIsWorthAnotherTry) {
  EXPECT_TRUE(IsRetryable(40));
  for (int16_t e : {0, 11, 45, 48, 59, 111, 190, 201}) EXPECT_FALSE(IsRetryable(e)) << e;
}

}  // namespace
}  // namespace nsk
