// Runs a program of the build as a child process, for end-to-end tests, and
// keeps what it printed. Header-only: the tests that use it link nothing
// else.
#ifndef KEYMEND_TESTS_SUPPORT_RUN_COMMAND_H_
#define KEYMEND_TESTS_SUPPORT_RUN_COMMAND_H_

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace keymend::testing {

#ifdef KEYMEND_BINARY_DIR
// The programs of this build.
inline const std::string kKeymend = std::string(KEYMEND_BINARY_DIR) + "/driver/keymend";
inline const std::string kNskfile = std::string(KEYMEND_BINARY_DIR) + "/tools/nskfile";
#endif

struct CommandResult {
  int exit_status = -1;  // the exit status, or 128 + signal
  std::string out;       // standard output
  std::string err;       // standard error
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs `argv` (argv[0] a path) with the current environment plus `env`
// (a value of "" removes the variable), standard input from /dev/null.
inline CommandResult RunCommand(const std::vector<std::string>& argv,
                                const std::map<std::string, std::string>& env = {},
                                const std::string& scratch_dir = "/tmp") {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string kv = *e;
    const size_t eq = kv.find('=');
    if (eq != std::string::npos) merged[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (const auto& [k, v] : env) {
    if (v.empty()) {
      merged.erase(k);
    } else {
      merged[k] = v;
    }
  }
  std::vector<std::string> env_strings;
  for (const auto& [k, v] : merged) env_strings.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (std::string& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (std::string& s : args) argp.push_back(s.data());
  argp.push_back(nullptr);

  static int counter = 0;
  const std::string base =
      scratch_dir + "/run." + std::to_string(getpid()) + "." + std::to_string(++counter);
  const std::string out_path = base + ".out", err_path = base + ".err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  CommandResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadWholeFile(out_path);
  result.err = ReadWholeFile(err_path);
  unlink(out_path.c_str());
  unlink(err_path.c_str());
  return result;
}

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScopedTempDir {
 public:
  ScopedTempDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/keymend-test.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
  }
  ~ScopedTempDir() {
    if (!path_.empty()) {
      const std::string command = "rm -rf '" + path_ + "'";
      if (std::system(command.c_str()) != 0) {
        // Left behind; nothing else to do in a destructor.
      }
    }
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace keymend::testing

#endif  // KEYMEND_TESTS_SUPPORT_RUN_COMMAND_H_
