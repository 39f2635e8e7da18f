#include "nsk/file_table.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "nsk/break_key.h"
#include "nsk/host_errors.h"

namespace nsk {
namespace {

// An OUT file that keeps its records and fails with scripted errors.
class MemoryFile : public OutFile {
 public:
  MemoryFile(std::vector<std::string>* records, std::deque<int16_t>* errors)
      : records_(records), errors_(errors) {}
  int16_t WriteRecord(const char* data, int count) override {
    if (!errors_->empty()) {
      const int16_t error = errors_->front();
      errors_->pop_front();
      if (error != 0) return error;
    }
    records_->emplace_back(data, static_cast<size_t>(count));
    return 0;
  }

 private:
  std::vector<std::string>* records_;
  std::deque<int16_t>* errors_;
};

class FileTableTest : public ::testing::Test {
 protected:
  FileTableTest() {
    ResetBreakForTesting();
    file_ = table_.Add(std::make_unique<MemoryFile>(&records_, &errors_));
  }
  ~FileTableTest() override { ResetBreakForTesting(); }

  sys::CC Write(const std::string& text) {
    return table_.Write(file_, text.data(), static_cast<int16_t>(text.size()), &written_);
  }
  int16_t LastError() {
    int16_t error = -99;
    EXPECT_EQ(table_.Info(file_, &error), sys::CC::kEqual);
    return error;
  }

  FileTable table_;
  std::vector<std::string> records_;
  std::deque<int16_t> errors_;
  int16_t file_ = -1;
  int16_t written_ = -1;
};

TEST_F(FileTableTest, EachWriteIsOneRecord) {
  EXPECT_EQ(file_, 1);
  EXPECT_EQ(Write("first line"), sys::CC::kEqual);
  EXPECT_EQ(written_, 10);
  EXPECT_EQ(Write(""), sys::CC::kEqual);
  EXPECT_EQ(table_.Write(file_, nullptr, 0, nullptr), sys::CC::kEqual);
  EXPECT_EQ(records_, (std::vector<std::string>{"first line", "", ""}));
  EXPECT_EQ(LastError(), 0);
}

TEST_F(FileTableTest, PendingBreakFailsTheNextWriteOnly) {
  PressBreak();
  EXPECT_EQ(Write("lost"), sys::CC::kLess);
  EXPECT_EQ(written_, 0);
  EXPECT_EQ(LastError(), err::kBreak);
  EXPECT_TRUE(records_.empty());
  EXPECT_EQ(Write("after"), sys::CC::kEqual);
  EXPECT_EQ(records_, std::vector<std::string>{"after"});
}

TEST_F(FileTableTest, SecondBreakEndsTheProcess) {
  EXPECT_EXIT(
      {
        PressBreak();
        PressBreak();
      },
      ::testing::ExitedWithCode(kBreakExitStatus), "");
}

TEST_F(FileTableTest, BadWriteArguments) {
  struct Case {
    const char* what;
    int16_t filenum;
    const char* buffer;
    int16_t count;
    int16_t error;
  } errors[] = {
      {"file not open", 7, "x", 1, err::kFileNotOpen},
      {"negative count", file_, "x", -1, err::kIllegalCount},
      {"no buffer", file_, nullptr, 3, err::kBounds},
  };
  for (const Case& c : errors) {
    written_ = -1;
    EXPECT_EQ(table_.Write(c.filenum, c.buffer, c.count, &written_), sys::CC::kLess) << c.what;
    EXPECT_EQ(written_, 0) << c.what;
    int16_t error = 0;
    table_.Info(c.filenum, &error);
    EXPECT_EQ(error, c.error) << c.what;
  }
  EXPECT_TRUE(records_.empty());
  int16_t error = 0;
  EXPECT_EQ(table_.Info(7, &error), sys::CC::kLess);
}

TEST_F(FileTableTest, FileErrorRetriesOnlyCurableErrors) {
  struct Case {
    int16_t error;
    int16_t answer;
  } cases[] = {
      {err::kTimedOut, 1},                       // the store was locked by another process
      {err::kFileFull, 0}, {err::kPathDown, 0},  // the reader of the pipe went away
      {err::kDiskIo, 0},   {err::kNotFound, 0},  // purged since the open
      {err::kSecurity, 0},
  };
  for (const Case& c : cases) {
    errors_.push_back(c.error);
    EXPECT_EQ(Write("x"), sys::CC::kLess) << c.error;
    EXPECT_EQ(LastError(), c.error);
    EXPECT_EQ(table_.Error(file_), c.answer) << c.error;
  }
  EXPECT_EQ(table_.Error(99), 0);  // not open
}

TEST_F(FileTableTest, RetriesAreCappedUntilAWriteSucceeds) {
  for (int i = 0; i < kMaxRetries; ++i) {
    errors_.push_back(err::kTimedOut);
    ASSERT_EQ(Write("x"), sys::CC::kLess);
    ASSERT_EQ(table_.Error(file_), 1) << "retry " << i;
  }
  errors_.push_back(err::kTimedOut);
  ASSERT_EQ(Write("x"), sys::CC::kLess);
  EXPECT_EQ(table_.Error(file_), 0);

  EXPECT_EQ(Write("x"), sys::CC::kEqual);
  errors_.push_back(err::kTimedOut);
  ASSERT_EQ(Write("x"), sys::CC::kLess);
  EXPECT_EQ(table_.Error(file_), 1);
}

TEST(FileTableLimitTest, FullTableFailsTheOpen) {
  FileTable table;
  std::vector<std::string> records;
  std::deque<int16_t> errors;
  for (int i = 0; i < kMaxOpenFiles; ++i) {
    ASSERT_EQ(table.Add(std::make_unique<MemoryFile>(&records, &errors)), i + 1);
  }
  EXPECT_EQ(table.Add(std::make_unique<MemoryFile>(&records, &errors)), -1);
  int16_t error = 0;
  EXPECT_EQ(table.Info(-1, &error), sys::CC::kEqual);
  EXPECT_EQ(error, err::kNoControlBlock);
}

}  // namespace
}  // namespace nsk
