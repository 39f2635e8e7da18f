// The launcher end to end: a probe program started through nsk::RunProgram
// on a node in a temporary directory.
#include "nsk/launcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "nsk/break_key.h"
#include "nsk/catalog.h"
#include "nsk/platform.h"
#include "tests/support/run_command.h"

namespace nsk {
namespace {

using keymend::testing::CommandResult;
using keymend::testing::RunCommand;
using keymend::testing::ScopedTempDir;

const std::string kProbe = std::string(KEYMEND_BINARY_DIR) + "/tests/nsk/launcher_probe";

class LauncherTest : public ::testing::Test {
 protected:
  LauncherTest() {
    NodeSettings settings;
    settings.node_name = "\\TEST";
    std::unique_ptr<Catalog> catalog;
    EXPECT_TRUE(Catalog::Create(node_dir(), settings, CatalogOptions(), &catalog).ok());
    EXPECT_TRUE(catalog->AddVolume("$WORK").ok());
    for (const auto& [name, type] : {std::pair{"$DATA.USER.LOG", 2}, {"$DATA.USER.KEYED", 3}}) {
      FileEntry entry;
      entry.name = name;
      entry.file_type = static_cast<int16_t>(type);
      EXPECT_TRUE(catalog->CreateFile(entry).ok());
    }
  }

  std::string node_dir() const { return dir_.path() + "/node"; }

  CommandResult Run(std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
    args.insert(args.begin(), kProbe);
    env.emplace("NSK_ROOT", node_dir());
    env.emplace("NSK_DEFAULTS", "");
    env.emplace("NSK_USER", "");
    return RunCommand(args, env, dir_.path());
  }

  std::vector<std::string> Records(const std::string& name) {
    std::unique_ptr<Catalog> catalog;
    EXPECT_TRUE(Catalog::Open(node_dir(), CatalogOptions(), &catalog).ok());
    std::vector<std::string> records;
    catalog->ReadRecords(name, [&records](const std::string& r) {
      records.push_back(r);
      return true;
    });
    return records;
  }

  ScopedTempDir dir_;
};

TEST_F(LauncherTest, StartupMessageOnTheHomeTerminal) {
  const CommandResult r = Run({"RETURN", "$data.*.*,", "LISTONLY"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "code 255 255\n"
            "defaults [$DATA   USER    ]\n"
            "in [$TERM   #HOME           ]\n"
            "out [$TERM   #HOME           ]\n"
            "parameters [RETURN $data.*.*, LISTONLY] length 93\n");
}

TEST_F(LauncherTest, DefaultsFromTheEnvironmentAndOutToARecordFile) {
  const CommandResult r =
      Run({"/OUT", "$DATA.USER.LOG/", "RETURN"}, {{"NSK_DEFAULTS", "$work.sales"}});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Records("$DATA.USER.LOG"),
            (std::vector<std::string>{
                "code 255 255", "defaults [$WORK   SALES   ]", "in [$TERM   #HOME           ]",
                "out [$DATA   USER    LOG     ]", "parameters [RETURN] length 73"}));

  // A partial OUT name is completed from the process's defaults.
  const CommandResult partial = Run({"/OUT log/", "RETURN"});
  EXPECT_EQ(partial.exit_status, 0) << partial.err;
  EXPECT_EQ(Records("$DATA.USER.LOG").size(), 10u);
}

TEST_F(LauncherTest, OutFilesThatCannotBeOpened) {
  struct Case {
    const char* out;
    const char* err;
  } cases[] = {
      {"/OUT KEYED/", "open 2\n"},
      {"/OUT MISSING/", "open 11\n"},
      {"/OUT $NOVOL.A.B/", "open 14\n"},
      {"/OUT \\FAR.$DATA.USER.LOG/", ""},  // no old form: blank, nothing opened
  };
  for (const Case& c : cases) {
    const CommandResult r = Run({c.out, "RETURN"});
    EXPECT_EQ(r.exit_status, 0) << c.out;
    EXPECT_EQ(r.out, "") << c.out;
    EXPECT_EQ(r.err, c.err) << c.out;
  }
}

TEST_F(LauncherTest, ExitStatus) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* err;
  } cases[] = {
      {{"RETURN"}, 0, ""},        {{"STOP"}, 0, ""},
      {{"STOP", "1"}, 1, ""},     {{"PSTOP", "2"}, 2, ""},
      {{"STOP", "300"}, 255, ""}, {{"ABEND"}, kAbendExitStatus, "KEYMEND: process abended\n"},
  };
  for (const Case& c : cases) {
    const CommandResult r = Run(c.args);
    EXPECT_EQ(r.exit_status, c.status) << c.args[0];
    EXPECT_EQ(r.err, c.err) << c.args[0];
  }
}

TEST_F(LauncherTest, NeverStarted) {
  struct Case {
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    const char* says;
  } errors[] = {
      {{"RETURN"}, {{"NSK_ROOT", "/nonexistent/node"}}, "nskfile init"},
      {{"/OUT", "LOG"}, {}, "/OUT"},
      {{"/NAME", "$X/"}, {}, "run option"},
      {{"RETURN"}, {{"NSK_DEFAULTS", "$DATA"}}, "NSK_DEFAULTS"},
      {{"RETURN"}, {{"NSK_USER", "nobody"}}, "NSK_USER"},
      {{std::string(32701, 'A')}, {}, "parameter string"},
  };
  for (const Case& c : errors) {
    std::map<std::string, std::string> env = c.env;
    env.emplace("NSK_ROOT", node_dir());
    const CommandResult r = Run(c.args, env);
    EXPECT_EQ(r.exit_status, kNeverStartedExitStatus) << c.says;
    EXPECT_EQ(r.out, "") << c.says;
    EXPECT_EQ(r.err.rfind("keymend: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  std::unique_ptr<Catalog> none;
  EXPECT_FALSE(Catalog::Open("/nonexistent/node", CatalogOptions(), &none).ok());
}

// A running probe whose standard error can be read while it runs.
class RunningProbe {
 public:
  RunningProbe(const std::string& node_dir, const std::string& action) {
    int err_pipe[2];
    EXPECT_EQ(pipe(err_pipe), 0);
    std::vector<std::string> env_strings = {"NSK_ROOT=" + node_dir, "PATH=/usr/bin:/bin"};
    if (const char* asan = getenv("ASAN_OPTIONS"))
      env_strings.push_back(std::string("ASAN_OPTIONS=") + asan);
    std::vector<char*> envp;
    for (std::string& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string probe = kProbe, word = action;
    char* argv[] = {probe.data(), word.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, err_pipe[0]);
    EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(err_pipe[1]);
    err_ = err_pipe[0];
  }
  ~RunningProbe() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(err_);
  }

  // Reads standard error up to and including the next newline.
  std::string Line() {
    std::string line;
    char c;
    while (read(err_, &c, 1) == 1) {
      line += c;
      if (c == '\n') break;
    }
    return line;
  }
  void Interrupt() { kill(pid_, SIGINT); }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = 0;
  int err_ = -1;
};

TEST_F(LauncherTest, FirstCtrlCFailsTheNextWriteWithBreak) {
  RunningProbe probe(node_dir(), "BREAK");
  ASSERT_EQ(probe.Line(), "ready\n");
  probe.Interrupt();
  EXPECT_EQ(probe.Line(), "write error 111\n");
  EXPECT_EQ(probe.Wait(), 111);
}

TEST_F(LauncherTest, SecondCtrlCEndsTheProcessAtOnce) {
  RunningProbe probe(node_dir(), "BREAK2");
  ASSERT_EQ(probe.Line(), "ready\n");
  probe.Interrupt();
  ASSERT_EQ(probe.Line(), "pressed\n");
  probe.Interrupt();
  EXPECT_EQ(probe.Wait(), kBreakExitStatus);
}

}  // namespace
}  // namespace nsk
