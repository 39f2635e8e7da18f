// Store faults in a real run (NSK_FAULT): the file at hand is reported with
// the mapped error and keeps its label, the run goes on with the next file,
// and the completion code says that something failed.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "tests/support/node_test.h"

namespace keymend {
namespace {

using ::keymend::testing::CommandResult;
using ::keymend::testing::NodeTest;
using ::keymend::testing::ReportedName;
using ::keymend::testing::ReportedOutcome;
using ::keymend::testing::ReportLine;

const struct Kind {
  const char* name;
  int error;
} kKinds[] = {{"io", 190}, {"full", 45}, {"busy", 40}};

const std::vector<std::string> kHeads = {"$DATA.SALES.A", "$DATA.SALES.B", "$DATA.SALES.C"};
const char kRun[] = "$DATA.SALES.*,$NEW.SALES";

class FaultE2eTest : public NodeTest {
 protected:
  FaultE2eTest() {
    Nsk({"init"});
    // One, two and three alternate-key files, so that a label cut short
    // or taken from another file would show.
    for (size_t i = 0; i < kHeads.size(); ++i) {
      std::vector<std::string> args = {"create", kHeads[i]};
      for (size_t k = 0; k <= i; ++k) {
        args.push_back("--altfile");
        args.push_back("$OLD.SALES.ALT" + std::to_string(i) + std::to_string(k));
      }
      Nsk(args);
    }
    before_ = Labels();
    SaveCatalog("before.db");
    EXPECT_EQ(Keymend({kRun}).exit_status, 0);
    adjusted_ = Labels();
    for (const std::string& head : kHeads) {
      EXPECT_NE(before_[head], adjusted_[head]);
      EXPECT_EQ(adjusted_[head].find("$OLD"), std::string::npos) << adjusted_[head];
    }
    RestoreCatalog("before.db");
  }

  CommandResult RunWithFault(const std::string& fault) {
    RestoreCatalog("before.db");
    return Keymend({kRun}, {{"NSK_FAULT", fault}});
  }

  std::map<std::string, std::string> before_, adjusted_;
};

TEST_F(FaultE2eTest, EachKindFailsOnlyTheFileAtHand) {
  // Each label write is BEGIN (a write), the UPDATE (a write) and COMMIT;
  // the second file's come second.
  const char* where[] = {"on=commit,op=2", "on=write,op=3", "on=write,op=4"};
  for (const Kind& kind : kKinds) {
    for (const char* at : where) {
      const std::string fault = std::string("kind=") + kind.name + "," + at;
      SCOPED_TRACE(fault);
      const CommandResult r = RunWithFault(fault);
      EXPECT_EQ(r.exit_status, 1) << r.err;
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(Report(r), (std::vector<std::string>{
                               ReportLine(kHeads[0], "modified"),
                               ReportLine(kHeads[1], " in error: " + std::to_string(kind.error)),
                               ReportLine(kHeads[2], "modified"),
                           }));
      std::map<std::string, std::string> labels = Labels();
      EXPECT_EQ(labels[kHeads[0]], adjusted_[kHeads[0]]);
      EXPECT_EQ(labels[kHeads[1]], before_[kHeads[1]]);
      EXPECT_EQ(labels[kHeads[2]], adjusted_[kHeads[2]]);
    }
  }
}

// Fails each store operation of the run in turn, until the run has no
// operation left to fail. Whatever the operation, the outcome is one of
// two: a file reported in error that keeps its label while the others are
// adjusted (completion code 1), or a search that fails and ends the run
// after the files already reported (code 2).
TEST_F(FaultE2eTest, EveryStoreOperationOfARunCanFail) {
  int injected = 0;
  for (int n = 1; n <= 500; ++n) {
    const Kind& kind = kKinds[n % 3];
    const std::string fault = "kind=" + std::string(kind.name) + ",op=" + std::to_string(n);
    SCOPED_TRACE(fault);
    const CommandResult r = RunWithFault(fault);
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> report = Report(r);
    std::map<std::string, std::string> labels = Labels();
    if (r.exit_status == 0) {
      // Past the last operation: the fault never fired.
      EXPECT_GT(n, 10) << "too few store operations seen";
      EXPECT_EQ(labels, adjusted_);
      break;
    }
    ++injected;
    const std::string error = std::to_string(kind.error);
    std::set<std::string> in_error, modified;
    bool search_failed = false;
    for (const std::string& line : report) {
      if (line == "File name search failed with error " + error + ": $DATA.SALES.*") {
        EXPECT_FALSE(search_failed);
        search_failed = true;
      } else if (ReportedOutcome(line) == "modified") {
        modified.insert(ReportedName(line));
      } else if (ReportedOutcome(line) == " in error: " + error) {
        in_error.insert(ReportedName(line));
      } else {
        ADD_FAILURE() << "unexpected line: " << line;
      }
    }
    if (r.exit_status == 1) {
      EXPECT_FALSE(search_failed);
      EXPECT_EQ(in_error.size(), 1u);
      EXPECT_EQ(modified.size() + in_error.size(), kHeads.size());
    } else {
      EXPECT_EQ(r.exit_status, 2);
      EXPECT_TRUE(search_failed);
      EXPECT_TRUE(in_error.empty());
    }
    for (const std::string& head : kHeads) {
      EXPECT_EQ(labels[head], modified.count(head) ? adjusted_[head] : before_[head]) << head;
    }
    ASSERT_FALSE(HasFailure());
  }
  EXPECT_GT(injected, 10);
  RecordProperty("faults_injected", injected);
  std::cout << "faults injected: " << injected << "\n";
}

// The same at the level of the disk: each write and sync of the database
// and its WAL fails in turn, inside SQLite, where a commit may fail after
// some of its pages are written. The catalog stays whole, and the outcome
// is one of the two above.
TEST_F(FaultE2eTest, EveryDiskWriteOfARunCanFail) {
  int injected = 0;
  for (int n = 1; n <= 500; ++n) {
    const Kind& kind = kKinds[n % 2];
    const std::string fault = "kind=" + std::string(kind.name) + ",on=disk,op=" + std::to_string(n);
    SCOPED_TRACE(fault);
    const CommandResult r = RunWithFault(fault);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Sql("PRAGMA integrity_check;"), "ok\n");
    std::map<std::string, std::string> labels = Labels();
    if (r.exit_status == 0) {
      EXPECT_GT(n, 3) << "too few disk writes seen";
      EXPECT_EQ(labels, adjusted_);
      break;
    }
    ++injected;
    std::set<std::string> in_error, modified;
    for (const std::string& line : Report(r)) {
      if (ReportedOutcome(line) == "modified") {
        modified.insert(ReportedName(line));
      } else if (ReportedOutcome(line) == " in error: " + std::to_string(kind.error)) {
        in_error.insert(ReportedName(line));
      } else {
        EXPECT_EQ(line.rfind("File name search failed with error ", 0), 0u) << line;
      }
    }
    EXPECT_TRUE(r.exit_status == 1 || r.exit_status == 2) << r.exit_status;
    if (r.exit_status == 1) {
      EXPECT_EQ(in_error.size(), 1u);
    }
    for (const std::string& head : kHeads) {
      EXPECT_EQ(labels[head], modified.count(head) ? adjusted_[head] : before_[head]) << head;
    }
    ASSERT_FALSE(HasFailure());
  }
  EXPECT_GT(injected, 3);
  RecordProperty("disk_faults_injected", injected);
  std::cout << "disk faults injected: " << injected << "\n";
}

// With an OUT file of the node, every line is a store write too. A lock
// that holds one up is waited out (FILEERROR says retry), and the line is
// written once; a full disk ends the run with ABEND. Labels written before
// stay written either way.
TEST_F(FaultE2eTest, OutFileWritesRetryALockAndAbendOnAFullDisk) {
  Nsk({"create", "$DATA.LOGS.OUT", "--type", "2"});
  SaveCatalog("before.db");
  int retried = 0, abended = 0;
  for (int n = 1; n <= 12; ++n) {
    for (const Kind& kind : {kKinds[2], kKinds[1]}) {
      const std::string fault =
          "kind=" + std::string(kind.name) + ",on=commit,op=" + std::to_string(n);
      SCOPED_TRACE(fault);
      RestoreCatalog("before.db");
      const CommandResult r = Keymend({"/OUT $DATA.LOGS.OUT/", kRun}, {{"NSK_FAULT", fault}});
      const std::vector<std::string> records = testing::Lines(Nsk({"print", "$DATA.LOGS.OUT"}).out);
      std::set<std::string> unique(records.begin(), records.end());
      EXPECT_EQ(unique.size(), records.size()) << "a line written twice";
      int modified = 0, in_error = 0;
      for (const std::string& line : records) {
        modified += ReportedOutcome(line) == "modified";
        in_error += ReportedOutcome(line) == " in error: " + std::to_string(kind.error);
      }
      std::map<std::string, std::string> labels = Labels();
      int adjusted = 0;
      for (const std::string& head : kHeads) {
        EXPECT_TRUE(labels[head] == before_[head] || labels[head] == adjusted_[head]) << head;
        adjusted += labels[head] == adjusted_[head];
      }
      if (r.exit_status == 5) {
        // The line that could not be written is lost, not its label.
        EXPECT_EQ(kind.error, 45);
        EXPECT_EQ(r.err, "KEYMEND: process abended\n");
        EXPECT_GE(adjusted, modified);
        EXPECT_LE(adjusted, modified + 1);
        ++abended;
      } else {
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(records.size(), 2 + kHeads.size());
        EXPECT_EQ(adjusted, modified);
        EXPECT_EQ(r.exit_status, in_error == 0 ? 0 : 1);
        if (in_error == 0 && r.exit_status == 0 && kind.error == 40) ++retried;
      }
    }
  }
  EXPECT_GT(retried, 0) << "no record write was retried";
  EXPECT_GT(abended, 0) << "no record write met the full disk";
}

TEST_F(FaultE2eTest, MalformedFaultTextNeverStarts) {
  for (const char* text : {"kind=io", "op=3", "kind=disk,op=1", "kind=io,op=0", "kind=io,op=x",
                           "kind=io,op=1,on=sync", "kind=io;op=1", "kind=busy,op=1,on=disk"}) {
    SCOPED_TRACE(text);
    const CommandResult r = Keymend({kRun}, {{"NSK_FAULT", text}});
    EXPECT_EQ(r.exit_status, 4);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("keymend: NSK_FAULT must be", 0), 0u) << r.err;
  }
  EXPECT_EQ(Labels(), before_);
}

}  // namespace
}  // namespace keymend
