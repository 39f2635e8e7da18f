// The fake's own contract: calls are recorded with only the parameters
// passed, scripted results take the place of normal work, and process ends
// are thrown.
#include "sys/fake_guardian.h"

#include <gtest/gtest.h>

namespace sys {
namespace {

class FakeGuardianTest : public ::testing::Test {
 protected:
  FakeGuardianTest() { previous_ = install(&fake); }
  ~FakeGuardianTest() override { install(previous_); }
  FakeGuardian fake;

 private:
  Guardian* previous_;
};

TEST_F(FakeGuardianTest, RecordsOnlyThePassedParameters) {
  int16_t fnum = 0;
  FILE_OPEN_("$TERM.#HOME", 11, &fnum);
  FILE_OPEN_("$X.Y.Z", 6, &fnum, 0, std::nullopt, 1);
  ASSERT_EQ(fake.calls.size(), 2u);
  EXPECT_EQ(fake.calls[0], "FILE_OPEN_(filename=\"$TERM.#HOME\", length=11, filenum)");
  EXPECT_EQ(fake.calls[1],
            "FILE_OPEN_(filename=\"$X.Y.Z\", length=6, filenum, access=0, nowait_depth=1)");
  EXPECT_EQ(fnum, -1);
}

TEST_F(FakeGuardianTest, ScriptedResultReplacesTheWork) {
  fake.files["$DATA.A.B"] = {};
  fake.ScriptResult("FILE_GETINFOBYNAME_", 45);
  int16_t info[5] = {9, 9, 9, 9, 9};
  EXPECT_EQ(FILE_GETINFOBYNAME_("$DATA.A.B", 9, info), 45);
  EXPECT_EQ(info[3], 9);
  EXPECT_EQ(FILE_GETINFOBYNAME_("$DATA.A.B", 9, info), 0);
  EXPECT_EQ(info[3], 3);
}

TEST_F(FakeGuardianTest, WritesGoToTheTerminalUnlessAnErrorIsQueued) {
  int16_t fnum = 0;
  FILE_OPEN_("$term.#home", 11, &fnum);
  fake.write_errors = {111};
  EXPECT_EQ(WRITE(fnum, "one", 3), CC::kLess);
  int16_t error = 0;
  FILEINFO(fnum, &error);
  EXPECT_EQ(error, 111);
  EXPECT_EQ(WRITE(fnum, "two", 3), CC::kEqual);
  EXPECT_EQ(fake.terminal, std::vector<std::string>{"two"});
}

TEST_F(FakeGuardianTest, ProcessEndsAreThrown) {
  try {
    PROCESS_STOP_(nullptr, std::nullopt, std::nullopt, 2);
    FAIL() << "PROCESS_STOP_ returned";
  } catch (const ProcessEnded& e) {
    EXPECT_EQ(e.how, ProcessEnded::How::kProcessStop);
    EXPECT_EQ(e.completion_code, 2);
  }
  EXPECT_THROW(ABEND(), ProcessEnded);
}

TEST_F(FakeGuardianTest, StartupMessageLayout) {
  int16_t length = 0;
  std::vector<int16_t> words = MakeStartupMessage(
      "$DATA", "USER", InternalName("$TERM", "#HOME", ""), InternalName("$TERM", "#HOME", ""),
      std::string("X,Y\0", 4), &length);
  ASSERT_EQ(length, 70);
  const char* bytes = reinterpret_cast<const char*>(words.data());
  EXPECT_EQ(words[0], -1);
  EXPECT_EQ(std::string(bytes + 2, 16), "$DATA   USER    ");
  EXPECT_EQ(std::string(bytes + 42, 24), "$TERM   #HOME           ");
  EXPECT_EQ(std::string(bytes + 66, 4), std::string("X,Y\0", 4));
}

}  // namespace
}  // namespace sys
