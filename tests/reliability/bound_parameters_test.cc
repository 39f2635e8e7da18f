// Names from the command line and from labels reach SQLite only as bound
// parameters: every statement that any connection of this process runs is
// traced, while nskfile and keymend run in-process on names, templates and
// label bytes that carry a marker, and the marker must never show in SQL.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "driver/globals.h"
#include "driver/keymend.h"
#include "nsk/launcher.h"
#include "tests/support/run_command.h"
#include "tools/nskfile.h"

namespace keymend {
namespace {

using ::keymend::testing::ScopedTempDir;

std::vector<std::string>* traced = nullptr;

int Trace(unsigned /*type*/, void* /*context*/, void* /*statement*/, void* sql) {
  if (traced != nullptr) traced->push_back(static_cast<const char*>(sql));
  return 0;
}

// Called by SQLite for every connection that opens in this process.
int TraceEveryConnection(sqlite3* db, const char** /*error*/, const sqlite3_api_routines*) {
  sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &Trace, nullptr);
  return SQLITE_OK;
}

class BoundParametersTest : public ::testing::Test {
 protected:
  BoundParametersTest() {
    traced = &sql_;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&TraceEveryConnection));
    setenv("NSK_ROOT", (dir_.path() + "/node").c_str(), 1);
    unsetenv("NSK_DEFAULTS");
    unsetenv("NSK_USER");
    unsetenv("NSK_FAULT");
  }
  ~BoundParametersTest() override {
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&TraceEveryConnection));
    traced = nullptr;
    unsetenv("NSK_ROOT");
  }

  int Nskfile(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    return nsk::RunNskfile(args, out, err);
  }
  // One keymend process, its output thrown away.
  int Keymend(std::vector<std::string> args) {
    ResetGlobals();
    args.insert(args.begin(), "keymend");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    fflush(stdout);
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
    const int status = nsk::RunProgram(static_cast<int>(args.size()), argv.data(), &KEYMEND);
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    return status;
  }

  ScopedTempDir dir_;
  std::vector<std::string> sql_;
};

bool HasMarker(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text.find("QZX") != std::string::npos;
}

TEST_F(BoundParametersTest, NoNameEverBecomesSqlText) {
  ASSERT_EQ(Nskfile({"init", "--node", "\\QZXNODE", "--defaults", "$QZXV.QZXSUB"}), 0);
  ASSERT_EQ(Nskfile({"volume", "add", "$QZXW"}), 0);
  ASSERT_EQ(Nskfile({"create", "$QZXV.QZXSUB.QZXHEAD", "--altfile", "$QZXOLD.QZXS.QZXALT",
                     "--owner", "QZXG.QZXU", "--secure", "AAAA"}),
            0);
  ASSERT_EQ(Nskfile({"create", "$QZXV.QZXSUB.QZXLOG", "--type", "2"}), 0);
  // A label whose bytes spell SQL: N = 1, one descriptor, M = 1, and a
  // "name" of that text.
  const std::string sql_name = "QZX');DROP TABLE files;--";
  static const char digits[] = "0123456789abcdef";
  std::string hex = "0100" + std::string(24, '0') + "0100";
  hex += digits[sql_name.size() >> 4];
  hex += digits[sql_name.size() & 0xF];
  hex += "00";
  for (char c : sql_name) {
    hex += digits[(c >> 4) & 0xF];
    hex += digits[c & 0xF];
  }
  ASSERT_EQ(Nskfile({"create", "$QZXV.QZXSUB.QZXBAD", "--raw-altlist", hex}), 0);
  // Illegal names are refused before any SQL; they are here to show that
  // even then their text goes nowhere.
  Nskfile({"create", "$QZXV.QZXSUB.QZX';DROP"});
  Nskfile({"info", "$QZXV.QZX\"SUB.*"});
  EXPECT_EQ(Nskfile({"info", "$QZX*.QZX{..a}.*", "--detail"}), 1);
  EXPECT_EQ(Nskfile({"info", "$QZXV.*.QZX*", "--json"}), 0);
  EXPECT_EQ(Nskfile({"dup", "$QZXV.QZXSUB.QZXHEAD", "$QZXW.QZXSUB.*"}), 0);
  EXPECT_EQ(Nskfile({"print", "$QZXV.QZXSUB.QZXLOG"}), 0);

  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"$QZXV.QZXSUB.*,$QZXNEW.QZXSUB"},
           {"$QZX*.QZX{..a}{..n}.QZX'~-*,\\QZXNODE.$QZXNEW.QZXSUB"},
           {"/OUT $QZXV.QZXSUB.QZXLOG/", "QZX*,,LISTONLY"},
           {"$QZXV.QZXSUB.QZX' OR '1'='1"},
           {"$QZXV.QZXSUB.*,$QZXV.QZX\";DROP TABLE files;--"},
           {"%QZX%,_QZX_"},
           {"[QZX]*"},
           {"QZXHEAD"},
       }) {
    const int status = Keymend(args);
    EXPECT_LT(status, 3) << args[0];
  }
  EXPECT_EQ(Nskfile({"purge", "$QZXW.QZXSUB.*"}), 0);

  ASSERT_GT(sql_.size(), 50u) << "the trace saw too little to prove anything";
  bool saw_glob = false;
  for (const std::string& text : sql_) {
    EXPECT_FALSE(HasMarker(text)) << "a name in SQL text: " << text;
    if (text.find("GLOB ?") != std::string::npos) saw_glob = true;
  }
  EXPECT_TRUE(saw_glob) << "no search was traced";
  // And the catalog is whole.
  EXPECT_EQ(Nskfile({"info", "$QZXV.QZXSUB.QZXHEAD"}), 0);
}

}  // namespace
}  // namespace keymend
