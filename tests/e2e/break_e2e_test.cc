// BREAK (Ctrl-C) during a long run: the run stops after a whole file, every
// label is either as it was or fully adjusted, and a second run finishes
// the rest.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/node_test.h"

namespace keymend {
namespace {

using ::keymend::testing::CommandResult;
using ::keymend::testing::kKeymend;

constexpr int kHeadFiles = 400;

class BreakE2eTest : public ::keymend::testing::NodeTest {
 protected:
  BreakE2eTest() {
    Nsk({"init"});
    Nsk({"volume", "add", "$OLD", "$NEW"});
    Nsk({"create", "$NEW.SALES.H0", "--altfile", "$OLD.SALES.ALTA", "--altfile",
         "$OLD.SALES.ALTB"});
    // Clone the head file many times in one transaction: one process per
    // file would take far longer than the run itself.
    Sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(kHeadFiles - 1) +
        ") INSERT INTO files (volume, subvolume, fileid, file_type, file_code, owner, security, "
        "altlist) SELECT volume, subvolume, 'H' || printf('%03d', i), file_type, file_code, "
        "owner, security, altlist FROM files, n WHERE fileid = 'H0';");
  }
};

TEST_F(BreakE2eTest, StopsAfterAWholeFileAndLosesNothing) {
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  // A small pipe that nobody reads makes the run block in a write, so the
  // BREAK arrives in the middle of it, deterministically.
  fcntl(pipe_fds[1], F_SETPIPE_SZ, 4096);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  std::string root = "NSK_ROOT=" + node_;
  std::string path = "PATH=/usr/bin:/bin";
  char* envp[] = {root.data(), path.data(), nullptr};
  std::string arg0 = kKeymend, arg1 = "$NEW.SALES.*,$NEW.SALES";
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);

  // Wait until the pipe is nearly full, so that the run is blocked in a
  // write of its report, then press BREAK.
  for (int tries = 0; tries < 1000; ++tries) {
    int queued = 0;
    ioctl(pipe_fds[0], FIONREAD, &queued);
    if (queued >= 3500) break;
    int status = 0;
    ASSERT_NE(waitpid(pid, &status, WNOHANG), pid) << "the run ended before BREAK";
    usleep(10000);
  }
  kill(pid, SIGINT);
  std::string out;
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipe_fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, size_t(n));
  close(pipe_fds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  int reported = 0;
  for (size_t at = out.find("modified"); at != std::string::npos; at = out.find("modified", at + 1)) {
    ++reported;
  }
  EXPECT_GT(reported, 0);
  EXPECT_LT(reported, kHeadFiles) << "the BREAK came too late to test anything";

  int adjusted = 0, old = 0;
  for (const auto& [name, label] : Labels()) {
    const bool a = label.find("$NEW.SALES.ALTA") != std::string::npos;
    const bool b = label.find("$NEW.SALES.ALTB") != std::string::npos;
    EXPECT_EQ(a, b) << "half adjusted: " << label;
    if (a && b) ++adjusted;
    if (label.find("$OLD.SALES.ALTA") != std::string::npos &&
        label.find("$OLD.SALES.ALTB") != std::string::npos) {
      ++old;
    }
  }
  EXPECT_EQ(adjusted + old, kHeadFiles);
  // The file whose line was cut off by the BREAK may have been written.
  EXPECT_GE(adjusted, reported);
  EXPECT_LE(adjusted, reported + 1);

  // A second run finishes the rest and says OK for the files already done.
  const CommandResult second = Keymend({"$NEW.SALES.*,$NEW.SALES"});
  EXPECT_EQ(second.exit_status, 0);
  int ok = 0, modified = 0;
  for (size_t at = second.out.find("  OK\n"); at != std::string::npos;
       at = second.out.find("  OK\n", at + 1)) {
    ++ok;
  }
  for (size_t at = second.out.find("  modified\n"); at != std::string::npos;
       at = second.out.find("  modified\n", at + 1)) {
    ++modified;
  }
  EXPECT_EQ(ok, adjusted);
  EXPECT_EQ(modified, kHeadFiles - adjusted);
}

}  // namespace
}  // namespace keymend
