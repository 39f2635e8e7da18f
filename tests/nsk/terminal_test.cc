#include "nsk/terminal.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <deque>
#include <string>

#include "nsk/break_key.h"
#include "nsk/host_errors.h"

namespace nsk {
namespace {

// The host as the injected write sees it: each call takes the next step.
// A step > 0 writes at most that many bytes, 0 reports no progress, < 0
// fails with that errno (negated). No steps left: everything is written.
std::deque<int> steps;
std::string host_output;
int break_on_call = 0;  // the call (from 1) at which Ctrl-C is pressed

ssize_t ScriptedWrite(int, const void* data, size_t size) {
  if (break_on_call > 0 && --break_on_call == 0) PressBreak();
  int step = static_cast<int>(size);
  if (!steps.empty()) {
    step = steps.front();
    steps.pop_front();
  }
  if (step < 0) {
    errno = -step;
    return -1;
  }
  const size_t n = std::min(size, static_cast<size_t>(step));
  host_output.append(static_cast<const char*>(data), n);
  return static_cast<ssize_t>(n);
}

class TerminalTest : public ::testing::Test {
 protected:
  TerminalTest() {
    ResetBreakForTesting();
    steps.clear();
    host_output.clear();
    break_on_call = 0;
  }
  ~TerminalTest() override { ResetBreakForTesting(); }

  int16_t Write(const std::string& text) {
    return terminal_.WriteRecord(text.data(), static_cast<int>(text.size()));
  }

  Terminal terminal_{1, &ScriptedWrite};
};

TEST_F(TerminalTest, RecordsBecomeLines) {
  EXPECT_EQ(Write("KEYMEND (201)"), 0);
  EXPECT_EQ(Write(""), 0);
  EXPECT_EQ(host_output, "KEYMEND (201)\n\n");
}

TEST_F(TerminalTest, ShortWritesAndInterruptionsAreFinished) {
  steps = {1, 0, 2, -EINTR, 3, -EINTR, 100};
  EXPECT_EQ(Write("$DATA.SALES.ORDERS"), 0);
  EXPECT_EQ(host_output, "$DATA.SALES.ORDERS\n");
}

TEST_F(TerminalTest, BreakDuringABlockedWriteFailsItUnwritten) {
  break_on_call = 1;
  steps = {-EINTR};
  EXPECT_EQ(Write("never"), err::kBreak);
  EXPECT_EQ(host_output, "");
  EXPECT_FALSE(BreakPending());
}

TEST_F(TerminalTest, BreakAfterPartOfALineLetsTheLineFinish) {
  break_on_call = 2;
  steps = {2, -EINTR};
  EXPECT_EQ(Write("abcdef"), 0);
  EXPECT_EQ(host_output, "abcdef\n");
  EXPECT_TRUE(BreakPending());  // kept for the next WRITE
}

TEST_F(TerminalTest, HostErrorsBecomeGuardianErrors) {
  struct Case {
    int errno_value;
    int16_t error;
  } cases[] = {
      {ENOSPC, err::kFileFull},
      {EPIPE, err::kPathDown},
      {EIO, err::kDiskIo},
  };
  for (const Case& c : cases) {
    steps = {2, -c.errno_value};
    host_output.clear();
    EXPECT_EQ(Write("abcdef"), c.error) << c.errno_value;
    EXPECT_EQ(host_output, "ab") << c.errno_value;
  }
}

TEST_F(TerminalTest, NoProgressForEverIsAnError) {
  steps.assign(100, 0);
  EXPECT_EQ(Write("abc"), err::kDiskIo);
}

TEST(RealTerminalTest, WritesToAPipe) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  Terminal terminal(fds[1]);
  EXPECT_EQ(terminal.WriteRecord("line one", 8), 0);
  EXPECT_EQ(terminal.WriteRecord("two", 3), 0);
  close(fds[1]);
  char buffer[64];
  const ssize_t n = read(fds[0], buffer, sizeof buffer);
  close(fds[0]);
  EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)), "line one\ntwo\n");
}

TEST(RealTerminalTest, ClosedPipeIsPathDown) {
  signal(SIGPIPE, SIG_IGN);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  Terminal terminal(fds[1]);
  EXPECT_EQ(terminal.WriteRecord("x", 1), err::kPathDown);
  close(fds[1]);
}

TEST(RealTerminalTest, FullDeviceIsFileFull) {
  const int fd = open("/dev/full", O_WRONLY);
  if (fd < 0) GTEST_SKIP() << "no /dev/full";
  Terminal terminal(fd);
  EXPECT_EQ(terminal.WriteRecord("x", 1), err::kFileFull);
  close(fd);
}

}  // namespace
}  // namespace nsk
