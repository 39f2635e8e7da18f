#include "nsk/fault.h"

#include <sqlite3.h>

namespace nsk {
namespace {

FaultPlan* installed = nullptr;

int CodeOf(FaultKind kind) {
  switch (kind) {
    case FaultKind::kIoError:
      return SQLITE_IOERR_WRITE;
    case FaultKind::kDiskFull:
      return SQLITE_FULL;
    case FaultKind::kBusy:
      return SQLITE_BUSY;
    case FaultKind::kNone:
      break;
  }
  return SQLITE_OK;
}

}  // namespace

void FaultPlan::FailNth(int n, FaultKind kind) {
  countdown_ = n > 0 ? n : 0;
  nth_kind_ = countdown_ > 0 ? kind : FaultKind::kNone;
}

void FaultPlan::FailNextCommit(FaultKind kind) { commit_kind_ = kind; }

void FaultPlan::Clear() {
  countdown_ = 0;
  nth_kind_ = FaultKind::kNone;
  commit_kind_ = FaultKind::kNone;
  operations_ = 0;
}

int FaultPlan::Before(StoreOp op) {
  ++operations_;
  if (op == StoreOp::kCommit && commit_kind_ != FaultKind::kNone) {
    const int code = CodeOf(commit_kind_);
    commit_kind_ = FaultKind::kNone;
    return code;
  }
  if (countdown_ > 0 && --countdown_ == 0) {
    const int code = CodeOf(nth_kind_);
    nth_kind_ = FaultKind::kNone;
    return code;
  }
  return SQLITE_OK;
}

FaultPlan* InstallFaultPlan(FaultPlan* plan) {
  FaultPlan* previous = installed;
  installed = plan;
  return previous;
}

int FaultBefore(StoreOp op) { return installed != nullptr ? installed->Before(op) : SQLITE_OK; }

}  // namespace nsk
