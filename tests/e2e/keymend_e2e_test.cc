// keymend through its binary, on a node made with nskfile in a temporary
// directory: what the user sees, byte for byte, and what the labels hold
// afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/node_test.h"

namespace keymend {
namespace {

using ::keymend::testing::CommandResult;
using ::keymend::testing::kNskfile;
using ::keymend::testing::kKeymend;
using ::keymend::testing::Lines;
using ::keymend::testing::ReportLine;
using ::keymend::testing::RunCommand;

class KeymendE2eTest : public ::keymend::testing::NodeTest {
 protected:
  KeymendE2eTest() {
    Nsk({"init", "--node", "\\DEMO"});
    Nsk({"volume", "add", "$OLD", "$NEW"});
  }

  std::string Json(const std::string& name) {
    return Nsk({"info", name, "--json"}).out;
  }
  std::string Dump() { return Sql(".dump"); }
  // Head files of $OLD.SALES restored to $NEW.SALES with `nskfile dup`.
  void RestoredSubvolume() {
    Nsk({"create", "$OLD.SALES.ORDERS", "--altfile", "$OLD.SALES.ORDALT1", "--altfile",
         "$OLD.SALES.ORDALT2"});
    Nsk({"create", "$OLD.SALES.ORDALT1"});
    Nsk({"create", "$OLD.SALES.ORDALT2"});
    Nsk({"create", "$OLD.SALES.CUST", "--altfile", "$OLD.SALES.CUSTALT"});
    Nsk({"create", "$OLD.SALES.CUSTALT"});
    Nsk({"create", "$OLD.SALES.NOTES", "--type", "0"});
    Nsk({"dup", "$OLD.SALES.*", "$NEW.SALES.*"});
  }
};

const char kBanner[] = "KEYMEND (201) - V6034H06 - (28Feb2011)   System \\DEMO, running NSK H06.29";

TEST_F(KeymendE2eTest, BannerAndHelpByteForByte) {
  const std::string expected = std::string(kBanner) + "\n" +
      "Moves the alternate key file names in head file labels to a new location.\n"
      "KEYMEND adjustes alternate key file entries.\n"
      "Command syntax is:\n"
      " [run] KEYMEND [<template>[,<default>]]\n"
      "where\n"
      " <template>        is a file name template, describing the head files.\n"
      "                   Extended wild cards are supported.\n"
      "                   When missing, the files in the users current\n"
      "                   default location are used.\n"
      " <default>         <[\\system.[$vol[.subvol]]]> to which the AK entries\n"
      "                   in the head files have to be adjusted to.\n"
      "                   Wildcards are NOT supported.\n"
      "                   When missing, the files current default location\n"
      "                   is used.\n";
  for (const char* request : {"-h", "-HELP", "-HeLp"}) {
    SCOPED_TRACE(request);
    const CommandResult r = Keymend({request});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(KeymendE2eTest, ParameterMessagesEndWithFatalStatus) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"$NEW.SALES.*,"}, "Invalid command syntax."},
      {{"$NEW.SALES.*", "$NEW.X"}, "Invalid command syntax."},
      {{"$NEW.SALES.*,$NEW.SALES,LIST"}, "Invalid keyword."},
      {{"$NEW.SALES.*,$NEW.SALES.X"}, "User supplied DEFAULT unusable"},
      {{std::string(51, 'A')}, "Invalid command syntax."},
      {{"$NEW.SALES.*" + std::string(1100, ',')}, "Invalid command syntax."},
      {{std::string(12000, 'A')}, "Invalid command syntax."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const CommandResult r = Keymend(c.args);
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_EQ(Report(r), (std::vector<std::string>{c.message, "Type  KEYMEND -H[ELP]  to get help"}));
  }
}

TEST_F(KeymendE2eTest, RestoredSubvolumeIsRepairedThenOk) {
  RestoredSubvolume();
  const CommandResult first = Keymend({"$NEW.SALES.*,$NEW.SALES"});
  EXPECT_EQ(first.exit_status, 0) << first.err;
  EXPECT_EQ(Report(first), (std::vector<std::string>{
                               ReportLine("$NEW.SALES.CUST", "modified"),
                               ReportLine("$NEW.SALES.ORDERS", "modified"),
                           }));
  EXPECT_NE(Json("$NEW.SALES.ORDERS").find(
                "\"altfiles\":[\"$NEW.SALES.ORDALT1\",\"$NEW.SALES.ORDALT2\"]"),
            std::string::npos)
      << Json("$NEW.SALES.ORDERS");
  // The originals are untouched.
  EXPECT_NE(Json("$OLD.SALES.ORDERS").find("\"$OLD.SALES.ORDALT1\""), std::string::npos);

  const CommandResult second = Keymend({"$NEW.SALES.*,$NEW.SALES"});
  EXPECT_EQ(Report(second), (std::vector<std::string>{
                                ReportLine("$NEW.SALES.CUST", "OK"),
                                ReportLine("$NEW.SALES.ORDERS", "OK"),
                            }));
}

TEST_F(KeymendE2eTest, DefaultLocationComesFromTheProcess) {
  RestoredSubvolume();
  const CommandResult r = Keymend({"CUST"}, {{"NSK_DEFAULTS", "$NEW.SALES"}});
  EXPECT_EQ(Report(r), std::vector<std::string>{ReportLine("$NEW.SALES.CUST", "modified")});
  EXPECT_NE(Json("$NEW.SALES.CUST").find("\"$NEW.SALES.CUSTALT\""), std::string::npos);
}

TEST_F(KeymendE2eTest, LongestNamesWithANodePart) {
  CommandResult init = RunCommand({kNskfile, "init", "--node", "\\NODEABC"},
                                  {{"NSK_ROOT", dir_.path() + "/long"}}, dir_.path());
  ASSERT_EQ(init.exit_status, 0) << init.err;
  env_["NSK_ROOT"] = dir_.path() + "/long";
  Nsk({"volume", "add", "$VOLUMEX"});
  Nsk({"create", "$VOLUMEX.SUBVOLUM.FILENAME", "--altfile", "$DATA.OLD.ALTFILEA"});
  Nsk({"create", "$VOLUMEX.SUBVOLUM.FILENAM", "--altfile", "$DATA.OLD.ALTFILEB"});
  const CommandResult r = Keymend({"\\NODEABC.$VOLUMEX.SUBVOLUM.*,$VOLUMEX.SUBVOLUM"});
  const std::string longest = "\\NODEABC.$VOLUMEX.SUBVOLUM.FILENAME";
  ASSERT_EQ(longest.size(), 35u);
  EXPECT_EQ(Report(r), (std::vector<std::string>{
                           ReportLine("\\NODEABC.$VOLUMEX.SUBVOLUM.FILENAM", "modified"),
                           ReportLine(longest, "modified"),
                       }));
  EXPECT_NE(Json("$VOLUMEX.SUBVOLUM.FILENAME").find("\"$VOLUMEX.SUBVOLUM.ALTFILEA\""),
            std::string::npos);
}

TEST_F(KeymendE2eTest, ExtendedWildCardsSelectExactlyTheRightFiles) {
  for (const char* f : {"ORD", "ORD1", "ORD12", "ORDX", "ORD1X", "ORDXY"}) {
    Nsk({"create", std::string("$NEW.SALES.") + f, "--altfile", "$OLD.SALES.ALT"});
  }
  const struct {
    const char* template_;
    std::vector<std::string> files;
  } cases[] = {
      {"$NEW.SALES.ORD{..n}", {"ORD", "ORD1", "ORD12"}},
      {"$NEW.SALES.ORD+", {"ORD", "ORD1", "ORD12"}},
      {"$NEW.SALES.ORD{a..a}", {"ORDX", "ORDXY"}},
      {"$NEW.SALES.ORD~-", {"ORD1", "ORD1X"}},
      {"$NEW.SALES.ORD?", {"ORD1", "ORDX"}},
      {"$NEW.SALES.ord{n}{a}", {"ORD1X"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.template_);
    std::vector<std::string> expected;
    for (const std::string& f : c.files) expected.push_back(ReportLine("$NEW.SALES." + f, "to be modified"));
    std::vector<std::string> got;
    for (const std::string& line : Report(Keymend({std::string(c.template_) + ",$NEW.SALES,LISTONLY"}))) {
      if (line.rfind("    ", 0) != 0) got.push_back(line);
    }
    EXPECT_EQ(got, expected);
  }
}

TEST_F(KeymendE2eTest, FileTheUserMayNotWriteKeepsItsLabel) {
  Nsk({"create", "$NEW.SALES.MINE", "--altfile", "$OLD.SALES.A", "--owner", "SALES.ANN",
       "--secure", "AOAO"});
  Nsk({"create", "$NEW.SALES.THEIRS", "--altfile", "$OLD.SALES.B", "--owner", "OTHER.BOB",
       "--secure", "AOAO"});
  const std::string before = Json("$NEW.SALES.THEIRS");
  const CommandResult r = Keymend({"$NEW.SALES.*,$NEW.SALES"}, {{"NSK_USER", "SALES.ANN"}});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(Report(r), (std::vector<std::string>{
                           ReportLine("$NEW.SALES.MINE", "modified"),
                           ReportLine("$NEW.SALES.THEIRS", " in error: 48"),
                       }));
  EXPECT_EQ(Json("$NEW.SALES.THEIRS"), before);
}

TEST_F(KeymendE2eTest, ListOnlyChangesNothingAndShowsThePlan) {
  RestoredSubvolume();
  const std::string before = Dump();
  ASSERT_FALSE(before.empty());
  const CommandResult r = Keymend({"$NEW.SALES.*,$NEW.SALES,LISTONLY"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(Report(r), (std::vector<std::string>{
                           ReportLine("$NEW.SALES.CUST", "to be modified"),
                           "    $OLD.SALES.CUSTALT -> $NEW.SALES.CUSTALT",
                           ReportLine("$NEW.SALES.ORDERS", "to be modified"),
                           "    $OLD.SALES.ORDALT1 -> $NEW.SALES.ORDALT1",
                           "    $OLD.SALES.ORDALT2 -> $NEW.SALES.ORDALT2",
                       }));
  EXPECT_EQ(Dump(), before);
}

TEST_F(KeymendE2eTest, RejectedTemplate) {
  const CommandResult r = Keymend({"{*"});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(Report(r), (std::vector<std::string>{"File name template invalid: {*",
                                                 "No action so far: Operation terminated."}));
}

TEST_F(KeymendE2eTest, OutFileReceivesTheSameRecords) {
  Nsk({"create", "$NEW.LOGS.RUNLOG", "--type", "2"});
  const CommandResult to_terminal = Keymend({"-h"});
  const CommandResult to_file = Keymend({"/OUT", "$NEW.LOGS.RUNLOG/", "-h"});
  EXPECT_EQ(to_file.exit_status, 0) << to_file.err;
  EXPECT_EQ(to_file.out, "");
  EXPECT_EQ(Nsk({"print", "$NEW.LOGS.RUNLOG"}).out, to_terminal.out);
}

TEST_F(KeymendE2eTest, UnopenableOutFileGivesASilentRunThatStillWorks) {
  RestoredSubvolume();
  const CommandResult r = Keymend({"/OUT $NEW.NO.SUCH/", "$NEW.SALES.*,$NEW.SALES"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(Json("$NEW.SALES.CUST").find("\"$NEW.SALES.CUSTALT\""), std::string::npos);
}

TEST_F(KeymendE2eTest, MissingNodeIsReportedAndNothingIsCreated) {
  const std::string missing = dir_.path() + "/nowhere";
  const CommandResult r = RunCommand({kKeymend, "-h"}, {{"NSK_ROOT", missing}}, dir_.path());
  EXPECT_EQ(r.exit_status, 4);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(missing), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("nskfile init"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace keymend
