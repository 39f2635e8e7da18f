// A damaged catalog: keymend and every nskfile command say so in one line on
// standard error, exit nonzero, and write nothing into the node directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/node_test.h"

namespace keymend {
namespace {

using ::keymend::testing::CommandResult;
using ::keymend::testing::NodeTest;
using ::keymend::testing::ReadWholeFile;
using ::keymend::testing::RunCommand;

class DamagedStoreE2eTest : public NodeTest {
 protected:
  DamagedStoreE2eTest() {
    Nsk({"init"});
    Nsk({"create", "$DATA.SALES.H0", "--altfile", "$OLD.SALES.ALTA"});
    Nsk({"create", "$DATA.SALES.LOG", "--type", "2"});
    // Enough files for the catalog to span many pages.
    Sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
        "INSERT INTO files (volume, subvolume, fileid, file_type, file_code, owner, security, "
        "altlist) SELECT volume, subvolume, 'H' || i, file_type, file_code, owner, security, "
        "altlist FROM files, n WHERE fileid = 'H0';");
    good_ = ReadWholeFile(catalog());
    EXPECT_GT(good_.size(), 5u * 4096);
  }

  std::string catalog() const { return node_ + "/catalog.db"; }
  void Write(const std::string& bytes) {
    std::filesystem::remove_all(catalog());
    std::ofstream(catalog(), std::ios::binary) << bytes;
  }
  // A database of SQLite's but not a catalog: `sql` run on a fresh file.
  void Foreign(const std::string& sql) {
    std::filesystem::remove(catalog());
    ASSERT_EQ(RunCommand({testing::kSqlite, catalog(), sql}, {}, dir_.path()).exit_status, 0);
  }
  // Our catalog, changed by `sql` behind the platform's back.
  void Altered(const std::string& sql) {
    Write(good_);
    ASSERT_EQ(RunCommand({testing::kSqlite, catalog(), sql}, {}, dir_.path()).exit_status, 0);
  }

  std::string good_;
};

TEST_F(DamagedStoreE2eTest, EveryCommandRefusesInOneLineAndWritesNothing) {
  std::mt19937 random(7);
  std::string noise(64 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const struct {
    const char* name;
    std::function<void()> damage;
  } damages[] = {
      {"empty file", [&] { Write(""); }},
      {"cut to 100 bytes", [&] { Write(good_.substr(0, 100)); }},
      {"cut to the first page", [&] { Write(good_.substr(0, 4096)); }},
      {"cut in half", [&] { Write(good_.substr(0, good_.size() / 2 / 4096 * 4096)); }},
      {"last page cut off", [&] { Write(good_.substr(0, good_.size() - 4096)); }},
      {"cut in the middle of a page", [&] { Write(good_.substr(0, good_.size() - 1000)); }},
      {"a text file", [&] { Write("this is not a database\n"); }},
      {"random bytes", [&] { Write(noise); }},
      {"header kept, the rest random", [&] { Write(good_.substr(0, 100) + noise); }},
      {"another program's database", [&] { Foreign("CREATE TABLE t (x);"); }},
      {"no tables, right version", [&] { Foreign("PRAGMA user_version = 1;"); }},
      {"files table missing", [&] { Altered("DROP TABLE files;"); }},
      {"records table missing", [&] { Altered("DROP TABLE records;"); }},
      {"node settings missing", [&] { Altered("DELETE FROM node;"); }},
      {"another schema version", [&] { Altered("PRAGMA user_version = 2;"); }},
      {"a column missing", [&] { Altered("ALTER TABLE files DROP COLUMN altlist;"); }},
      {"a directory",
       [&] {
         std::filesystem::remove(catalog());
         std::filesystem::create_directory(catalog());
       }},
  };
  const std::vector<std::vector<std::string>> commands = {
      {testing::kKeymend, "$DATA.SALES.*,$NEW.SALES"},
      {testing::kKeymend},
      {testing::kKeymend, "-HELP"},
      {testing::kKeymend, "/OUT $DATA.SALES.LOG/", "$DATA.SALES.*"},
      {testing::kNskfile, "init"},
      {testing::kNskfile, "volume", "list"},
      {testing::kNskfile, "volume", "add", "$NEW"},
      {testing::kNskfile, "create", "$DATA.SALES.NEW", "--altfile", "$OLD.SALES.X"},
      {testing::kNskfile, "info", "$*.*.*", "--json"},
      {testing::kNskfile, "dup", "$DATA.SALES.*", "$DATA.COPY.*"},
      {testing::kNskfile, "purge", "$DATA.SALES.*"},
      {testing::kNskfile, "print", "$DATA.SALES.LOG"},
  };
  for (const auto& d : damages) {
    d.damage();
    const std::map<std::string, std::string> before = Snapshot();
    for (const std::vector<std::string>& command : commands) {
      SCOPED_TRACE(std::string(d.name) + ": " + command[0].substr(command[0].rfind('/') + 1) +
                   (command.size() > 1 ? " " + command[1] : ""));
      const CommandResult r = RunCommand(command, env_, dir_.path());
      EXPECT_NE(r.exit_status, 0);
      EXPECT_LT(r.exit_status, 5) << "crashed or abended";
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
      EXPECT_EQ(r.err.back(), '\n');
      EXPECT_NE(r.err.find(catalog()), std::string::npos)
          << "the line names the catalog: " << r.err;
      EXPECT_TRUE(Snapshot() == before) << "the node directory was written";
    }
  }
}

TEST_F(DamagedStoreE2eTest, TheSameCommandsWorkOnTheCatalogUndamaged) {
  // The table above shows nothing unless these commands would otherwise
  // succeed.
  EXPECT_EQ(Keymend({"$DATA.SALES.*,$NEW.SALES"}).exit_status, 0);
  Nsk({"volume", "list"});
  Nsk({"info", "$*.*.*"});
}

}  // namespace
}  // namespace keymend
