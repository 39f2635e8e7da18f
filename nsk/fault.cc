#include "nsk/fault.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdlib>
#include <optional>

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
  counts_all_ = true;
  nth_kind_ = countdown_ > 0 ? kind : FaultKind::kNone;
}

void FaultPlan::FailNthOf(StoreOp op, int n, FaultKind kind) {
  FailNth(n, kind);
  counts_all_ = false;
  counted_ = op;
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
  const bool counts = counts_all_ ? op != StoreOp::kDiskWrite : op == counted_;
  if (countdown_ > 0 && counts && --countdown_ == 0) {
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

std::string ArmFromText(const std::string& text, FaultPlan* plan, bool* disk) {
  std::optional<FaultKind> kind;
  std::optional<StoreOp> only;
  long n = 0;
  const std::string bad =
      "NSK_FAULT must be kind=io|full|busy,op=N[,on=any|read|write|commit|disk]";
  size_t at = 0;
  while (at <= text.size()) {
    size_t comma = text.find(',', at);
    if (comma == std::string::npos) comma = text.size();
    std::string item = text.substr(at, comma - at);
    for (char& c : item) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    at = comma + 1;
    const size_t eq = item.find('=');
    if (eq == std::string::npos) return bad + ", not \"" + text + "\"";
    const std::string key = item.substr(0, eq), value = item.substr(eq + 1);
    if (key == "kind") {
      if (value == "io") {
        kind = FaultKind::kIoError;
      } else if (value == "full") {
        kind = FaultKind::kDiskFull;
      } else if (value == "busy") {
        kind = FaultKind::kBusy;
      } else {
        return bad + ": unknown kind \"" + value + "\"";
      }
    } else if (key == "op") {
      char* end = nullptr;
      n = value.empty() ? 0 : std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != 0 || n < 1 || n > 1000000000) {
        return bad + ": op must be a number from 1";
      }
    } else if (key == "on") {
      if (value == "any") {
        only.reset();
      } else if (value == "read") {
        only = StoreOp::kRead;
      } else if (value == "write") {
        only = StoreOp::kWrite;
      } else if (value == "commit") {
        only = StoreOp::kCommit;
      } else if (value == "disk") {
        only = StoreOp::kDiskWrite;
      } else {
        return bad + ": unknown operation \"" + value + "\"";
      }
    } else {
      return bad + ": unknown item \"" + key + "\"";
    }
  }
  if (!kind || n == 0) return bad + ", not \"" + text + "\"";
  // A file write cannot meet another process's lock.
  if (only == StoreOp::kDiskWrite && *kind == FaultKind::kBusy)
    return bad + ": busy is no disk fault";
  if (disk != nullptr) *disk = only == StoreOp::kDiskWrite;
  if (only) {
    plan->FailNthOf(*only, static_cast<int>(n), *kind);
  } else {
    plan->FailNth(static_cast<int>(n), *kind);
  }
  return "";
}

}  // namespace nsk
