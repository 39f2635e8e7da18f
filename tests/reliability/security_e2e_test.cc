// File security in real runs: a label is changed only by a user with write
// access to its file, a user who may write nothing changes nothing, and the
// catalog is its owner's alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/support/node_test.h"

namespace keymend {
namespace {

using ::keymend::testing::CommandResult;
using ::keymend::testing::NodeTest;
using ::keymend::testing::ReportedOutcome;
using ::keymend::testing::ReportLine;

class SecurityE2eTest : public NodeTest {
 protected:
  SecurityE2eTest() { Nsk({"init"}); }

  std::string Dump() { return Sql(".dump"); }
};

TEST_F(SecurityE2eTest, WriteAccessDecidesWhoMayChangeALabel) {
  // The file belongs to SALES.JOE; only the second character of the
  // security string (write) counts.
  const struct {
    const char* security;
    const char* user;
    bool may;
  } cases[] = {
      {"AAAA", "OTHER.ANN", true},   {"-A--", "OTHER.ANN", true},   {"AGAA", "SALES.ANN", true},
      {"AGAA", "OTHER.ANN", false},  {"GGGG", "OTHER.JOE", false},  {"AOAA", "SALES.JOE", true},
      {"AOAA", "SALES.ANN", false},  {"AOAA", "OTHER.JOE", false},  {"A-AA", "SALES.JOE", false},
      {"A-AA", "SUPER.SUPER", true}, {"AOAA", "SUPER.SUPER", true}, {"O-OO", "SUPER.ANN", false},
      {"AAAA", "super.super", true}, {"AOAA", "sales.joe", true},
  };
  int i = 0;
  for (const auto& c : cases) {
    const std::string name = "$DATA.SALES.F" + std::to_string(i++);
    SCOPED_TRACE(std::string(c.security) + " as " + c.user + ": " + name);
    Nsk({"create", name, "--altfile", "$OLD.SALES.ALTA", "--altfile", "$OLD.SALES.ALTB", "--owner",
         "SALES.JOE", "--secure", c.security});
    const std::string before = Labels()[name];
    const CommandResult r = Keymend({name + ",$NEW.SALES"}, {{"NSK_USER", c.user}});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_status, c.may ? 0 : 1);
    EXPECT_EQ(Report(r),
              std::vector<std::string>{ReportLine(name, c.may ? "modified" : " in error: 48")});
    const std::string after = Labels()[name];
    if (c.may) {
      EXPECT_NE(after.find("[\"$NEW.SALES.ALTA\",\"$NEW.SALES.ALTB\"]"), std::string::npos)
          << after;
    } else {
      EXPECT_EQ(after, before);
    }
  }
}

TEST_F(SecurityE2eTest, AUserWhoMayWriteNothingChangesNothing) {
  // Anyone may read these labels, nobody but their owners may write them.
  const char* securities[] = {"AOAO", "AGAG", "A-A-", "OOOO"};
  int files = 0;
  for (const char* owner : {"SALES.JOE", "ADMIN.ANN"}) {
    for (const char* security : securities) {
      for (int k = 0; k < 3; ++k) {
        Nsk({"create", "$DATA.S" + std::to_string(files % 4) + ".F" + std::to_string(files),
             "--altfile", "$OLD.SALES.ALT" + std::to_string(k), "--owner", owner, "--secure",
             security});
        ++files;
      }
    }
  }
  const std::string before = Dump();
  for (const char* options : {"", ",LISTONLY"}) {
    SCOPED_TRACE(options);
    const CommandResult r =
        Keymend({std::string("$DATA.*.*,$NEW.SALES") + options}, {{"NSK_USER", "NOBODY.X"}});
    EXPECT_EQ(r.err, "");
    int refused = 0;
    for (const std::string& line : Report(r)) {
      if (*options == 0) {
        EXPECT_EQ(ReportedOutcome(line), " in error: 48") << line;
        ++refused;
      } else if (ReportedOutcome(line) == "to be modified") {
        ++refused;
      }
    }
    EXPECT_EQ(refused, files);
    EXPECT_EQ(r.exit_status, *options == 0 ? 1 : 0);
    EXPECT_EQ(Dump(), before) << "the catalog changed";
  }
}

TEST_F(SecurityE2eTest, TheCatalogIsTheOwnersAloneWhateverTheUmask) {
  const mode_t saved = umask(0);
  env_["NSK_ROOT"] = dir_.path() + "/open/node";
  Nsk({"init"});
  Nsk({"create", "$DATA.SALES.H", "--altfile", "$OLD.SALES.A"});
  EXPECT_EQ(Keymend({"$DATA.SALES.*,$NEW.SALES"}).exit_status, 0);
  umask(saved);
  struct stat st;
  ASSERT_EQ(stat((dir_.path() + "/open/node/catalog.db").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(stat((dir_.path() + "/open/node").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat((dir_.path() + "/open").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u) << "a parent made for the node";
}

}  // namespace
}  // namespace keymend
