// nskfile end to end: the real binary on a node in a temporary directory.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "nsk/catalog.h"
#include "tests/support/run_command.h"

namespace nsk {
namespace {

using keymend::testing::CommandResult;
using keymend::testing::RunCommand;
using keymend::testing::ScopedTempDir;

class NskfileTest : public ::testing::Test {
 protected:
  std::string node_dir() const { return dir_.path() + "/node"; }

  CommandResult Run(std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
    args.insert(args.begin(), std::string(KEYMEND_BINARY_DIR) + "/tools/nskfile");
    env.emplace("NSK_ROOT", node_dir());
    env.emplace("NSK_DEFAULTS", "");
    env.emplace("NSK_USER", "");
    return RunCommand(args, env, dir_.path());
  }

  // Runs a command that must succeed and returns its output.
  std::string Ok(const std::vector<std::string>& args) {
    const CommandResult r = Run(args);
    EXPECT_EQ(r.exit_status, 0) << args[0] << ": " << r.err;
    EXPECT_EQ(r.err, "") << args[0];
    return r.out;
  }

  // Runs a command that must fail with one line on standard error, and
  // returns that line.
  std::string Fails(const std::vector<std::string>& args) {
    const CommandResult r = Run(args);
    EXPECT_EQ(r.exit_status, 1) << args[0];
    EXPECT_EQ(r.err.rfind("nskfile", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "not one line: " << r.err;
    return r.err;
  }

  void Init() { Ok({"init", "--node", "\\test"}); }

  std::unique_ptr<Catalog> OpenCatalog() {
    std::unique_ptr<Catalog> catalog;
    EXPECT_TRUE(Catalog::Open(node_dir(), CatalogOptions(), &catalog).ok());
    return catalog;
  }

  ScopedTempDir dir_;
};

TEST_F(NskfileTest, InitCreatesTheNodeOnceAndShowsIt) {
  EXPECT_EQ(Ok({"init", "--node", "\\test", "--os", "J06.15", "--defaults", "$work.sales"}),
            "created node \\TEST\n"
            "node       \\TEST\n"
            "directory  " +
                node_dir() +
                "\n"
                "os         J06.15\n"
                "defaults   $WORK.SALES\n"
                "volumes    $DATA $SYSTEM $WORK\n");
  EXPECT_EQ(Ok({"init"}),
            "node       \\TEST\n"
            "directory  " +
                node_dir() +
                "\n"
                "os         J06.15\n"
                "defaults   $WORK.SALES\n"
                "volumes    $DATA $SYSTEM $WORK\n");
  EXPECT_NE(Ok({"init", "--node", "\\TEST"}), "");  // the same settings: shown
  const std::string line = Fails({"init", "--node", "\\OTHER"});
  EXPECT_NE(line.find("exists already"), std::string::npos) << line;
  EXPECT_NE(line.find("\\TEST"), std::string::npos) << line;
}

TEST_F(NskfileTest, InitRejectsBadSettings) {
  const std::vector<std::string> errors[] = {
      {"init", "--node", "TEST"}, {"init", "--node", "\\TOOLONGNAME"},
      {"init", "--os", "H6.29"},  {"init", "--defaults", "$DATA"},
      {"init", "--defaults", ""}, {"init", "--node"},
      {"init", "extra"},          {"init", "--colour", "red"},
  };
  for (const auto& args : errors) {
    Fails(args);
  }
  std::unique_ptr<Catalog> none;
  EXPECT_EQ(Catalog::Open(node_dir(), CatalogOptions(), &none).code, err::kNoSuchDevice)
      << "a rejected init must create nothing";
}

TEST_F(NskfileTest, CommandsWithoutANodeSayHowToMakeOne) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"info", "*"},
                                               {"volume", "list"},
                                               {"create", "A"},
                                               {"print", "A"},
                                               {"purge", "A"},
                                               {"dup", "A", "B"}}) {
    const std::string line = Fails(args);
    EXPECT_NE(line.find(node_dir()), std::string::npos) << line;
    EXPECT_NE(line.find("nskfile init"), std::string::npos) << line;
  }
}

TEST_F(NskfileTest, Volumes) {
  Init();
  EXPECT_EQ(Ok({"volume", "add", "$old", "$NEW"}), "added volume $OLD\nadded volume $NEW\n");
  EXPECT_EQ(Ok({"volume", "list"}), "$DATA\n$NEW\n$OLD\n$SYSTEM\n");
  Fails({"volume", "add", "$OLD"});
  Fails({"volume", "add", "OLD2"});
  Fails({"volume", "add"});
  Fails({"volume", "remove", "$OLD"});
  Fails({"volume"});
}

TEST_F(NskfileTest, CreateWithEveryOptionAndShowIt) {
  Init();
  Ok({"volume", "add", "$OLD"});
  EXPECT_EQ(Ok({"create",    "$old.sales.orders",
                "--type",    "3",
                "--code",    "1200",
                "--altfile", "$OLD.SALES.ORDALT",
                "--altfile", "\\FAR.$X.Y.Z",
                "--altkey",  "AK:4:0:0",
                "--altkey",  "BK:6:10:1",
                "--altkey",  "CK:2:20:0",
                "--owner",   "sales.joe",
                "--secure",  "gogo"}),
            "created $OLD.SALES.ORDERS\n");
  EXPECT_EQ(Ok({"info", "$OLD.SALES.ORDERS"}), "$OLD.SALES.ORDERS\n");
  EXPECT_EQ(Ok({"info", "$OLD.*.*", "--detail"}),
            "$OLD.SALES.ORDERS  type 3  code 1200  owner SALES.JOE  secure GOGO  altkeys 3 "
            "AK:4:0:0 BK:6:10:1 CK:2:20:0  altfiles 2 $OLD.SALES.ORDALT \\FAR.$X.Y.Z\n");
  EXPECT_EQ(Ok({"info", "$old.sales.ord*", "--json"}),
            "{\"name\":\"$OLD.SALES.ORDERS\",\"type\":3,\"code\":1200,\"altkeys\":3,"
            "\"altfiles\":[\"$OLD.SALES.ORDALT\",\"\\\\FAR.$X.Y.Z\"]}\n");
}

TEST_F(NskfileTest, CreateDefaultsAndPartialNames) {
  Init();
  Ok({"create", "ordalt"});
  Ok({"create", "orders", "--altfile", "ordalt", "--altfile", "inv.ordalt2"});
  Ok({"create", "log", "--type", "2"});
  EXPECT_EQ(Ok({"info", "*", "--detail"}),
            "$DATA.USER.LOG  type 2  code 0  owner SUPER.SUPER  secure AAAA  altkeys 0  "
            "altfiles 0\n"
            "$DATA.USER.ORDALT  type 3  code 0  owner SUPER.SUPER  secure AAAA  altkeys 0  "
            "altfiles 0\n"
            "$DATA.USER.ORDERS  type 3  code 0  owner SUPER.SUPER  secure AAAA  altkeys 2 "
            "AA:4:0:0 AB:4:4:1  altfiles 2 $DATA.USER.ORDALT $DATA.INV.ORDALT2\n");

  // NSK_DEFAULTS and NSK_USER shape partial names and owners.
  const CommandResult r =
      Run({"create", "sales.x"}, {{"NSK_DEFAULTS", "$system.tools"}, {"NSK_USER", "ops.ann"}});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.out, "created $SYSTEM.SALES.X\n");
  EXPECT_NE(Ok({"info", "$SYSTEM.*.*", "--detail"}).find("owner OPS.ANN"), std::string::npos);
}

TEST_F(NskfileTest, CreateRawAlternateKeyListKeepsEveryByte) {
  Init();
  Ok({"create", "bad", "--raw-altlist", "0100 4B41 0400 0000 00"});
  std::unique_ptr<Catalog> catalog = OpenCatalog();
  FileEntry entry;
  ASSERT_TRUE(catalog->GetFile("$DATA.USER.BAD", &entry).ok());
  EXPECT_EQ(entry.altlist, std::string("\x01\x00\x4B\x41\x04\x00\x00\x00\x00", 9));
  const std::string json = Ok({"info", "bad", "--json"});
  EXPECT_EQ(json.rfind("{\"name\":\"$DATA.USER.BAD\",\"type\":3,\"code\":0,\"altkeys\":0,"
                       "\"altfiles\":[],\"damaged\":",
                       0),
            0u)
      << json;
  Ok({"create", "empty", "--raw-altlist", ""});
  ASSERT_TRUE(catalog->GetFile("$DATA.USER.EMPTY", &entry).ok());
  EXPECT_EQ(entry.altlist, "");
}

TEST_F(NskfileTest, CreateRejectsBadArguments) {
  Init();
  Ok({"create", "exists"});
  const std::vector<std::string> errors[] = {
      {"create"},
      {"create", "a", "b"},
      {"create", "a*"},
      {"create", "$DATA.SUB"},
      {"create", "\\FAR.$DATA.S.F"},
      {"create", "$NOVOL.S.F"},
      {"create", "exists"},
      {"create", "a", "--type", "4"},
      {"create", "a", "--type", "x"},
      {"create", "a", "--code", "65536"},
      {"create", "a", "--code", "-1"},
      {"create", "a", "--altkey", "AK:4:0:0"},  // no alternate-key file 0
      {"create", "a", "--altfile", "b", "--altkey", "A:4:0:0"},
      {"create", "a", "--altfile", "b", "--altkey", "AK:4:0"},
      {"create", "a", "--altfile", "b", "--altkey", "AK:x:0:0"},
      {"create", "a", "--altfile", "b*"},
      {"create", "a", "--altfile", "b", "--raw-altlist", "00"},
      {"create", "a", "--raw-altlist", "0"},
      {"create", "a", "--raw-altlist", "zz"},
      {"create", "a", "--type", "0", "--altfile", "b"},
      {"create", "a", "--owner", "JOE"},
      {"create", "a", "--secure", "AAA"},
      {"create", "a", "--secure", "AAAX"},
      {"create", "a", "--type"},
      {"create", "a", "--type", "1", "--type", "2"},
      {"create", "a", "--bogus"},
  };
  for (const auto& args : errors) Fails(args);
  EXPECT_EQ(Ok({"info", "*"}), "$DATA.USER.EXISTS\n");
}

TEST_F(NskfileTest, DupKeepsLabelsAndTakesStarPartsFromTheSource) {
  Init();
  Ok({"volume", "add", "$OLD", "$NEW"});
  Ok({"create", "$OLD.SALES.ORDERS", "--altfile", "$OLD.SALES.ORDALT", "--code", "7", "--owner",
      "SALES.JOE", "--secure", "OOOO"});
  Ok({"create", "$OLD.SALES.ORDALT"});
  Ok({"create", "$OLD.INV.PARTS", "--raw-altlist", "FFFF"});
  EXPECT_EQ(Ok({"dup", "$old.*.*", "$new.*.*"}),
            "copied $OLD.INV.PARTS to $NEW.INV.PARTS\n"
            "copied $OLD.SALES.ORDALT to $NEW.SALES.ORDALT\n"
            "copied $OLD.SALES.ORDERS to $NEW.SALES.ORDERS\n");
  std::unique_ptr<Catalog> catalog = OpenCatalog();
  for (const char* file : {"INV.PARTS", "SALES.ORDALT", "SALES.ORDERS"}) {
    FileEntry from, to;
    ASSERT_TRUE(catalog->GetFile(std::string("$OLD.") + file, &from).ok());
    ASSERT_TRUE(catalog->GetFile(std::string("$NEW.") + file, &to).ok());
    EXPECT_EQ(to.altlist, from.altlist) << file;
    EXPECT_EQ(to.file_type, from.file_type) << file;
    EXPECT_EQ(to.file_code, from.file_code) << file;
    EXPECT_EQ(to.owner, from.owner) << file;
    EXPECT_EQ(to.security, from.security) << file;
  }
  EXPECT_NE(Ok({"info", "$NEW.SALES.ORDERS", "--json"}).find("[\"$OLD.SALES.ORDALT\"]"),
            std::string::npos);

  EXPECT_EQ(Ok({"dup", "$OLD.SALES.ORDERS", "$NEW.*.COPY"}),
            "copied $OLD.SALES.ORDERS to $NEW.SALES.COPY\n");
  EXPECT_EQ(Ok({"dup", "$OLD.INV.PARTS", "ARCHIVE.P1"}),
            "copied $OLD.INV.PARTS to $DATA.ARCHIVE.P1\n");
}

TEST_F(NskfileTest, DupRefusals) {
  Init();
  Ok({"volume", "add", "$OLD"});
  Ok({"create", "$OLD.S.A"});
  Ok({"create", "$OLD.S.B"});
  const std::vector<std::string> errors[] = {
      {"dup", "$OLD.S.*", "$DATA.S.ONE"},  // two sources, one target
      {"dup", "$OLD.S.A", "$NOVOL.*.*"},   // no such volume
      {"dup", "$OLD.S.A", "$OLD.S.B"},     // target exists
      {"dup", "$OLD.X.*", "$DATA.*.*"},    // nothing matches
      {"dup", "$OLD.S.A", "$DATA.S?.*"},   // a wild card other than a whole *
      {"dup", "$OLD.S.A", "$DATA"},       {"dup", "$OLD.S.A"},
  };
  for (const auto& args : errors) Fails(args);
  Fails({"info", "$DATA.*.*"});  // nothing was copied
}

TEST_F(NskfileTest, PurgeAndInfoOfNothing) {
  Init();
  Ok({"create", "a1"});
  Ok({"create", "a2"});
  Ok({"create", "b1"});
  EXPECT_EQ(Ok({"purge", "a*"}), "purged $DATA.USER.A1\npurged $DATA.USER.A2\n");
  EXPECT_EQ(Ok({"info", "*"}), "$DATA.USER.B1\n");
  const std::string line = Fails({"purge", "a*"});
  EXPECT_NE(line.find("no file matches $DATA.USER.A*"), std::string::npos) << line;
  Fails({"info", "a*"});
  Fails({"info", "$DATA.**X.Y.Z"});
  Fails({"info"});
  Fails({"info", "*", "--detail", "--json"});
}

TEST_F(NskfileTest, PrintShowsTheRecordsOfAnEntrySequencedFile) {
  Init();
  Ok({"create", "log", "--type", "2"});
  Ok({"create", "keyed"});
  {
    std::unique_ptr<Catalog> catalog = OpenCatalog();
    ASSERT_TRUE(catalog->AppendRecord("$DATA.USER.LOG", "first record").ok());
    ASSERT_TRUE(catalog->AppendRecord("$DATA.USER.LOG", "").ok());
    ASSERT_TRUE(catalog->AppendRecord("$DATA.USER.LOG", "third").ok());
  }
  EXPECT_EQ(Ok({"print", "LOG"}), "first record\n\nthird\n");
  EXPECT_NE(Fails({"print", "keyed"}).find("not an entry-sequenced file"), std::string::npos);
  Fails({"print", "missing"});
  Fails({"print", "l*"});
}

TEST_F(NskfileTest, HelpAndUnknownCommands) {
  EXPECT_NE(Ok({"--help"}).find("usage: nskfile COMMAND"), std::string::npos);
  for (const char* command : {"init", "volume", "create", "info", "dup", "purge", "print"}) {
    EXPECT_EQ(Ok({command, "--help"}).rfind(std::string("usage: nskfile ") + command, 0), 0u)
        << command;
  }
  Fails({"frobnicate"});
  Fails({});
}

}  // namespace
}  // namespace nsk
