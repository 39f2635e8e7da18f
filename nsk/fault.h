// A fault hook for the store, for tests of crash and I/O-error paths.
//
// Every store operation of the catalog (each statement it steps, and each
// COMMIT) first asks the installed FaultPlan whether it should fail. A test
// arms the plan to fail the Nth operation from now, or the next commit,
// with a chosen kind; the operation then fails as SQLite would have failed
// it, the transaction around it is rolled back, and the caller sees the
// mapped Guardian error (190 for an I/O error, 45 for a full disk, 40 for a
// store that stays locked). Nothing is installed in a normal run.
#ifndef KEYMEND_NSK_FAULT_H_
#define KEYMEND_NSK_FAULT_H_

#include <string>

namespace nsk {

enum class FaultKind { kNone, kIoError, kDiskFull, kBusy };

// kDiskWrite: a write, truncation or sync of a database or WAL file, as the
// fault VFS (fault_vfs.h) reports it; counted only by FailNthOf.
enum class StoreOp { kRead, kWrite, kCommit, kDiskWrite };

class FaultPlan {
 public:
  // The `n`th operation from now (1: the next one) fails with `kind`. Disk
  // writes are not counted.
  void FailNth(int n, FaultKind kind);

  // As FailNth, counting only operations of kind `op`.
  void FailNthOf(StoreOp op, int n, FaultKind kind);

  // The next COMMIT fails with `kind`, after every statement of its
  // transaction has succeeded.
  void FailNextCommit(FaultKind kind);

  // Disarms both.
  void Clear();

  // Operations seen since the plan was installed or last cleared; lets a
  // test find the N of an operation before failing it.
  int operations() const { return operations_; }

  // Called by the store before each operation: the SQLite result code the
  // operation is to fail with, or 0 to run it. Each fault fires once.
  int Before(StoreOp op);

 private:
  int countdown_ = 0;
  bool counts_all_ = true;
  StoreOp counted_ = StoreOp::kRead;  // when !counts_all_
  FaultKind nth_kind_ = FaultKind::kNone;
  FaultKind commit_kind_ = FaultKind::kNone;
  int operations_ = 0;
};

// Makes `plan` the one the store asks (nullptr: none) and returns the one it
// replaces. The caller keeps ownership.
FaultPlan* InstallFaultPlan(FaultPlan* plan);

// The SQLite result code for `op` from the installed plan, 0 when none is
// installed or it lets the operation run.
int FaultBefore(StoreOp op);

// Arms `plan` from the text of NSK_FAULT, which lets a test fail one store
// operation of a real process:
//
//   kind=io|full|busy,op=N[,on=any|read|write|commit|disk]
//
// The Nth store operation (1: the first) after the node has been opened
// fails with an I/O error (190), a full disk (45) or a store that stays
// locked (40). With `on`, only operations of that kind are counted: each
// statement step that reads is a read, BEGIN and each step that changes
// rows a write, each COMMIT a commit; `disk` counts the writes and syncs of
// the fault VFS (fault_vfs.h), which the caller must install before the
// node is opened, and takes io or full only. Items may come in any order;
// case is ignored. Returns "" and arms the plan, or a message saying what
// is wrong and leaves the plan untouched; *disk (when passed) tells whether
// the plan counts disk writes.
std::string ArmFromText(const std::string& text, FaultPlan* plan, bool* disk = nullptr);

}  // namespace nsk

#endif  // KEYMEND_NSK_FAULT_H_
