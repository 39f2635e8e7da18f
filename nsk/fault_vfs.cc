// The disk-level fault hook: an SQLite VFS that passes every call to the VFS
// it replaces, except that a write, truncation or sync of a database or WAL
// file first asks the fault plan (StoreOp::kDiskWrite) and fails, without
// touching the file, when told to. SQLite then meets the failure on its own
// error paths (a WAL frame that cannot be written, a commit that cannot be
// synced, a checkpoint cut short), which a fault before a statement never
// reaches.
//
// Each file this VFS opens is a FaultFile followed by the file of the VFS
// underneath, which does the work; szOsFile covers both.
#include "nsk/fault_vfs.h"

#include <sqlite3.h>

#include "nsk/fault.h"

namespace nsk {
namespace {

sqlite3_vfs* real_vfs = nullptr;

struct FaultFile {
  sqlite3_file base;
  bool counted;  // a database or WAL file: its writes may fail
  sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

FaultFile* Of(sqlite3_file* file) { return reinterpret_cast<FaultFile*>(file); }
sqlite3_file* RealOf(sqlite3_file* file) { return Of(file)->Real(); }

int Injected(sqlite3_file* file) {
  return Of(file)->counted ? FaultBefore(StoreOp::kDiskWrite) : SQLITE_OK;
}

int Close(sqlite3_file* f) { return RealOf(f)->pMethods->xClose(RealOf(f)); }
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
  return RealOf(f)->pMethods->xRead(RealOf(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
  if (int rc = Injected(f)) return rc;
  return RealOf(f)->pMethods->xWrite(RealOf(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
  if (int rc = Injected(f)) return rc;
  return RealOf(f)->pMethods->xTruncate(RealOf(f), size);
}
int Sync(sqlite3_file* f, int flags) {
  if (int rc = Injected(f)) return rc == SQLITE_IOERR_WRITE ? SQLITE_IOERR_FSYNC : rc;
  return RealOf(f)->pMethods->xSync(RealOf(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
  return RealOf(f)->pMethods->xFileSize(RealOf(f), size);
}
int Lock(sqlite3_file* f, int level) { return RealOf(f)->pMethods->xLock(RealOf(f), level); }
int Unlock(sqlite3_file* f, int level) { return RealOf(f)->pMethods->xUnlock(RealOf(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) {
  return RealOf(f)->pMethods->xCheckReservedLock(RealOf(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
  return RealOf(f)->pMethods->xFileControl(RealOf(f), op, arg);
}
int SectorSize(sqlite3_file* f) { return RealOf(f)->pMethods->xSectorSize(RealOf(f)); }
int DeviceCharacteristics(sqlite3_file* f) {
  return RealOf(f)->pMethods->xDeviceCharacteristics(RealOf(f));
}
int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
  return RealOf(f)->pMethods->xShmMap(RealOf(f), region, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return RealOf(f)->pMethods->xShmLock(RealOf(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) { RealOf(f)->pMethods->xShmBarrier(RealOf(f)); }
int ShmUnmap(sqlite3_file* f, int remove) {
  return RealOf(f)->pMethods->xShmUnmap(RealOf(f), remove);
}
int Fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
  return RealOf(f)->pMethods->xFetch(RealOf(f), offset, amount, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 offset, void* page) {
  return RealOf(f)->pMethods->xUnfetch(RealOf(f), offset, page);
}

// One table per version of the methods underneath, so that SQLite never
// calls through to a method the real file lacks.
sqlite3_io_methods MethodsFor(int version) {
  sqlite3_io_methods m = {};
  m.iVersion = version;
  m.xClose = Close;
  m.xRead = Read;
  m.xWrite = Write;
  m.xTruncate = Truncate;
  m.xSync = Sync;
  m.xFileSize = FileSize;
  m.xLock = Lock;
  m.xUnlock = Unlock;
  m.xCheckReservedLock = CheckReservedLock;
  m.xFileControl = FileControl;
  m.xSectorSize = SectorSize;
  m.xDeviceCharacteristics = DeviceCharacteristics;
  if (version >= 2) {
    m.xShmMap = ShmMap;
    m.xShmLock = ShmLock;
    m.xShmBarrier = ShmBarrier;
    m.xShmUnmap = ShmUnmap;
  }
  if (version >= 3) {
    m.xFetch = Fetch;
    m.xUnfetch = Unfetch;
  }
  return m;
}
const sqlite3_io_methods kMethods[3] = {MethodsFor(1), MethodsFor(2), MethodsFor(3)};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
  FaultFile* self = Of(file);
  self->base.pMethods = nullptr;
  self->counted = (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL)) != 0;
  const int rc = real_vfs->xOpen(real_vfs, name, self->Real(), flags, out_flags);
  const sqlite3_io_methods* real = self->Real()->pMethods;
  if (real != nullptr) {
    const int version = real->iVersion < 1 ? 1 : real->iVersion > 3 ? 3 : real->iVersion;
    self->base.pMethods = &kMethods[version - 1];
  }
  return rc;
}

int Delete(sqlite3_vfs*, const char* name, int sync) {
  return real_vfs->xDelete(real_vfs, name, sync);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
  return real_vfs->xAccess(real_vfs, name, flags, out);
}
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  return real_vfs->xFullPathname(real_vfs, name, size, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) { return real_vfs->xDlOpen(real_vfs, name); }
void DlError(sqlite3_vfs*, int size, char* out) { real_vfs->xDlError(real_vfs, size, out); }
void (*DlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
  return real_vfs->xDlSym(real_vfs, handle, symbol);
}
void DlClose(sqlite3_vfs*, void* handle) { real_vfs->xDlClose(real_vfs, handle); }
int Randomness(sqlite3_vfs*, int size, char* out) {
  return real_vfs->xRandomness(real_vfs, size, out);
}
int Sleep(sqlite3_vfs*, int microseconds) { return real_vfs->xSleep(real_vfs, microseconds); }
int CurrentTime(sqlite3_vfs*, double* out) { return real_vfs->xCurrentTime(real_vfs, out); }
int GetLastError(sqlite3_vfs*, int size, char* out) {
  return real_vfs->xGetLastError != nullptr ? real_vfs->xGetLastError(real_vfs, size, out) : 0;
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
  if (real_vfs->iVersion >= 2 && real_vfs->xCurrentTimeInt64 != nullptr) {
    return real_vfs->xCurrentTimeInt64(real_vfs, out);
  }
  double days = 0;
  const int rc = real_vfs->xCurrentTime(real_vfs, &days);
  *out = static_cast<sqlite3_int64>(days * 86400000.0);
  return rc;
}

sqlite3_vfs fault_vfs;

}  // namespace

bool InstallFaultVfs() {
  if (real_vfs != nullptr) return true;
  if (sqlite3_initialize() != SQLITE_OK) return false;
  sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
  if (real == nullptr) return false;
  fault_vfs = sqlite3_vfs{};
  // Version 2: the system-call overrides of version 3 are for tests of
  // SQLite itself and stay with the real VFS.
  fault_vfs.iVersion = 2;
  fault_vfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + real->szOsFile;
  fault_vfs.mxPathname = real->mxPathname;
  fault_vfs.zName = "nsk-fault";
  fault_vfs.xOpen = Open;
  fault_vfs.xDelete = Delete;
  fault_vfs.xAccess = Access;
  fault_vfs.xFullPathname = FullPathname;
  fault_vfs.xDlOpen = DlOpen;
  fault_vfs.xDlError = DlError;
  fault_vfs.xDlSym = DlSym;
  fault_vfs.xDlClose = DlClose;
  fault_vfs.xRandomness = Randomness;
  fault_vfs.xSleep = Sleep;
  fault_vfs.xCurrentTime = CurrentTime;
  fault_vfs.xGetLastError = GetLastError;
  fault_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
  real_vfs = real;
  if (sqlite3_vfs_register(&fault_vfs, /*makeDflt=*/1) != SQLITE_OK) {
    real_vfs = nullptr;
    return false;
  }
  return true;
}

}  // namespace nsk
