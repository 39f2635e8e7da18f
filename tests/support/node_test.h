// The shared fixture of the end-to-end tests: a node in a temporary
// directory, made and inspected with the real nskfile, and keymend run as
// the real binary against it.
#ifndef KEYMEND_TESTS_SUPPORT_NODE_TEST_H_
#define KEYMEND_TESTS_SUPPORT_NODE_TEST_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/run_command.h"

namespace keymend::testing {

inline const std::string kSqlite = "/usr/bin/sqlite3";
inline const char kFiller[] = ". . . . . . . . . . . . . . . . . . .  ";

// The lines of `text`, without their newlines.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size();
    out.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return out;
}

// A report line of keymend, as the action loop lays it out.
inline std::string ReportLine(const std::string& name, const std::string& outcome) {
  return name + std::string(kFiller).substr(name.size()) + outcome;
}

// The name at the front of a report line; "" for a line that is not one. A
// name holds no blank and never ends with a dot, so it runs up to the first
// blank, less the dot of the filler that follows a name of even length.
inline std::string ReportedName(const std::string& line) {
  if (line.size() < 39 || line.compare(36, 3, ".  ") != 0) return "";
  std::string name = line.substr(0, line.find(' '));
  if (!name.empty() && name.back() == '.') name.pop_back();
  return name;
}

// What follows the filler: "OK", "modified", " in error: 48", ...
inline std::string ReportedOutcome(const std::string& line) {
  return line.size() > 39 ? line.substr(39) : "";
}

class NodeTest : public ::testing::Test {
 protected:
  NodeTest() : node_(dir_.path() + "/node") {
    env_ = {{"NSK_ROOT", node_}, {"NSK_DEFAULTS", ""}, {"NSK_USER", ""}, {"NSK_FAULT", ""}};
  }

  CommandResult Nsk(std::vector<std::string> args, bool must_work = true) {
    args.insert(args.begin(), kNskfile);
    CommandResult r = RunCommand(args, env_, dir_.path());
    if (must_work) {
      EXPECT_EQ(r.exit_status, 0) << "nskfile " << args[1] << ": " << r.err;
    }
    return r;
  }
  CommandResult Keymend(std::vector<std::string> args,
                        const std::map<std::string, std::string>& extra = {}) {
    args.insert(args.begin(), kKeymend);
    std::map<std::string, std::string> env = env_;
    for (const auto& [k, v] : extra) env[k] = v;
    return RunCommand(args, env, dir_.path());
  }
  std::string Sql(const std::string& statement) {
    CommandResult r = RunCommand({kSqlite, node_ + "/catalog.db", statement}, {}, dir_.path());
    EXPECT_EQ(r.exit_status, 0) << r.err;
    return r.out;
  }
  // Every file of the node, one JSON line each, keyed by name.
  std::map<std::string, std::string> Labels() {
    std::map<std::string, std::string> out;
    for (const std::string& line : Lines(Nsk({"info", "$*.*.*", "--json"}).out)) {
      const size_t start = line.find("\"name\":\"") + 8;
      out[line.substr(start, line.find('"', start) - start)] = line;
    }
    return out;
  }
  // The report lines of a keymend run (after the two banner lines).
  static std::vector<std::string> Report(const CommandResult& r) {
    std::vector<std::string> lines = Lines(r.out);
    if (lines.size() < 2) return {};
    return {lines.begin() + 2, lines.end()};
  }
  // Every file in the node directory with its bytes.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(node_)) {
      out[entry.path().filename().string()] = ReadWholeFile(entry.path().string());
    }
    return out;
  }
  void SaveCatalog(const std::string& as) {
    std::filesystem::copy_file(node_ + "/catalog.db", dir_.path() + "/" + as,
                               std::filesystem::copy_options::overwrite_existing);
  }
  void RestoreCatalog(const std::string& from) {
    for (const char* suffix : {"-wal", "-shm"}) {
      std::filesystem::remove(node_ + "/catalog.db" + suffix);
    }
    std::filesystem::copy_file(dir_.path() + "/" + from, node_ + "/catalog.db",
                               std::filesystem::copy_options::overwrite_existing);
  }

  ScopedTempDir dir_;
  std::string node_;
  std::map<std::string, std::string> env_;
};

}  // namespace keymend::testing

#endif  // KEYMEND_TESTS_SUPPORT_NODE_TEST_H_
