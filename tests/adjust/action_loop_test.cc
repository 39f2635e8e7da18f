// ACTIONLOOP over the fake platform: one report line per head file, laid out
// byte for byte, and the way the run ends.
#include "adjust/action_loop.h"

#include <cstring>

#include "tests/support/program_test.h"

namespace keymend {
namespace {

using ::keymend::testing::ProgramTest;

class ActionLoopTest : public ProgramTest {
 protected:
  ActionLoopTest() {
    OpenTerminal();
    SetTemplate("$DATA.SALES.*");
    SetLocation("$DATA2.SALES");
  }
  static void SetTemplate(const std::string& t) {
    std::memcpy(TEMPLATE, t.data(), t.size());
    TEMPLATELEN = static_cast<int16_t>(t.size());
  }
  static void SetLocation(const std::string& l) {
    std::memcpy(DEFAULTLOCATION, l.data(), l.size());
    DEFAULTLOCATIONLEN = static_cast<int16_t>(l.size());
  }
  void Found(const std::string& name, std::vector<std::string> altfiles, int16_t type = 3) {
    fake.search_names.push_back(name);
    fake.files[name] = {type, 0, sys::MakeAltKeyList({sys::AltKeyDescriptor{}}, altfiles)};
  }
  // Runs the loop; the completion code, or -1 when it returned.
  int RunLoop() {
    std::optional<sys::ProcessEnded> ended = Run([] { ACTIONLOOP(); });
    return ended ? ended->completion_code : -1;
  }
};

TEST_F(ActionLoopTest, ReportLinesOfTheWorkedExamples) {
  Found("$DATA.SALES.ORDER", {"$OLD.SALES.ORDALT"});
  Found("$DATA.SALES.ORDERS", {"$DATA2.SALES.ORDSALT"});
  EXPECT_EQ(RunLoop(), 0);
  const std::vector<std::string> expected = {
      "$DATA.SALES.ORDER . . . . . . . . . .  modified",
      "$DATA.SALES.ORDERS. . . . . . . . . .  OK",
  };
  EXPECT_EQ(fake.terminal, expected);
  EXPECT_EQ(fake.terminal[0].size(), 47u);
  EXPECT_EQ(fake.terminal[1].size(), 41u);
}

TEST_F(ActionLoopTest, ErrorLineAndWarningCompletion) {
  fake.search_names = {"$DATA.SALES.ORDERS"};  // found, but gone by the time it is read
  EXPECT_EQ(RunLoop(), sys::kCompletionWarning);
  ASSERT_EQ(fake.terminal.size(), 1u);
  EXPECT_EQ(fake.terminal[0], "$DATA.SALES.ORDERS. . . . . . . . . .   in error: 11");
  EXPECT_EQ(fake.terminal[0].size(), 52u);
  EXPECT_EQ(fake.CallsTo("DNUMOUT")[0], "DNUMOUT(buffer, dnumber=11, base=10)");
}

TEST_F(ActionLoopTest, LongErrorNumbersSimplyGrowTheLine) {
  Found("$DATA.SALES.A", {"$OLD.S.X"});
  fake.ScriptResult("FILE_GETINFOBYNAME_", 12345);
  RunLoop();
  ASSERT_EQ(fake.terminal.size(), 1u);
  EXPECT_EQ(fake.terminal[0], "$DATA.SALES.A . . . . . . . . . . . .   in error: 12345");
}

TEST_F(ActionLoopTest, NamesOfEveryLengthPutTheOutcomeInColumn40) {
  const std::string filler = ". . . . . . . . . . . . . . . . . . .  ";
  SetTemplate("*");
  std::vector<std::string> names;
  for (int len : {13, 14, 35, 36}) {
    names.push_back("$DATA.USER." + std::string(static_cast<size_t>(len - 11), 'F'));
    Found(names.back(), {"$DATA2.SALES.X"});
  }
  RunLoop();
  ASSERT_EQ(fake.terminal.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(fake.terminal[i], names[i] + filler.substr(names[i].size()) + "OK");
  }
  EXPECT_EQ(fake.terminal[3], "$DATA.USER." + std::string(25, 'F') + ".  OK");
}

TEST_F(ActionLoopTest, FilesThatAreNotHeadFilesGetNoLine) {
  Found("$DATA.SALES.FLAT", {"$OLD.S.X"}, 0);
  fake.search_names.push_back("$DATA.SALES.NOKEYS");
  fake.files["$DATA.SALES.NOKEYS"] = {3, 0, sys::MakeAltKeyList({}, {})};
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_TRUE(fake.terminal.empty());
}

TEST_F(ActionLoopTest, NoMatchMeansNoLineAndANormalEnd) {
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_TRUE(fake.terminal.empty());
  EXPECT_EQ(fake.CallsTo("FILENAME_FINDFINISH_").size(), 1u);
  EXPECT_EQ(fake.CallsTo("PROCESS_STOP_"), std::vector<std::string>{"PROCESS_STOP_()"});
}

TEST_F(ActionLoopTest, SearchCallsCarryExactlyTheirParameters) {
  Found("$DATA.SALES.A", {"$DATA2.SALES.X"});
  RunLoop();
  const std::vector<std::string> start = fake.CallsTo("FILENAME_FINDSTART_");
  ASSERT_EQ(start.size(), 1u);
  EXPECT_EQ(start[0],
            "FILENAME_FINDSTART_(searchid, searchname=\"$DATA.SALES.*\", length=13, "
            "devicetype=3)");
  EXPECT_EQ(fake.CallsTo("FILENAME_FINDFINISH_"),
            std::vector<std::string>{"FILENAME_FINDFINISH_(searchid=7)"});
}

TEST_F(ActionLoopTest, RejectedTemplateReturnsAfterTwoLines) {
  SetTemplate("{*");
  EXPECT_EQ(RunLoop(), -1);
  const std::vector<std::string> expected = {"File name template invalid: {*",
                                             "No action so far: Operation terminated."};
  EXPECT_EQ(fake.terminal, expected);
  EXPECT_TRUE(fake.CallsTo("FILENAME_FINDSTART_").empty());
}

TEST_F(ActionLoopTest, SearchErrorEndsTheRunOnce) {
  Found("$DATA.SALES.A", {"$OLD.S.X"});
  fake.ScriptResult("FILENAME_FINDNEXT_", 45);
  EXPECT_EQ(RunLoop(), sys::kCompletionFatal);
  EXPECT_EQ(fake.terminal,
            std::vector<std::string>{"File name search failed with error 45: $DATA.SALES.*"});
  EXPECT_EQ(fake.CallsTo("FILENAME_FINDFINISH_").size(), 1u);
  EXPECT_TRUE(fake.CallsTo("FILE_GETINFOBYNAME_").empty());
}

TEST_F(ActionLoopTest, NoLocationMovesNamesIntoEachHeadFilesOwn) {
  DEFAULTLOCATIONLEN = 0;
  Found("$DATA.SALES.A", {"$OLD.OTHER.AALT"});
  RunLoop();
  ASSERT_EQ(fake.alterlist_values.size(), 1u);
  EXPECT_EQ(fake.files["$DATA.SALES.A"].altlist,
            sys::MakeAltKeyList({sys::AltKeyDescriptor{}}, {"$DATA.SALES.AALT"}));
}

TEST_F(ActionLoopTest, ListOnlyShowsThePlanAndWritesNothing) {
  LISTONLY = true;
  Found("$DATA.SALES.ORDERS", {"$DATA2.SALES.A1", "$OLD.SALES.A2", "$OLD.SALES.A3"});
  Found("$DATA.SALES.RIGHT", {"$DATA2.SALES.R1"});
  EXPECT_EQ(RunLoop(), 0);
  const std::vector<std::string> expected = {
      "$DATA.SALES.ORDERS. . . . . . . . . .  to be modified",
      "    $OLD.SALES.A2 -> $DATA2.SALES.A2",
      "    $OLD.SALES.A3 -> $DATA2.SALES.A3",
      "$DATA.SALES.RIGHT . . . . . . . . . .  OK",
  };
  EXPECT_EQ(fake.terminal, expected);
  EXPECT_TRUE(fake.CallsTo("FILE_ALTERLIST_").empty());
}

TEST_F(ActionLoopTest, BreakWhileReportingFinishesTheSearchAndStops) {
  Found("$DATA.SALES.A", {"$OLD.S.X"});
  Found("$DATA.SALES.B", {"$OLD.S.X"});
  fake.write_errors = {111};
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_EQ(fake.CallsTo("FILENAME_FINDFINISH_"),
            std::vector<std::string>{"FILENAME_FINDFINISH_(searchid=7)"});
  // The first head file is adjusted; the second is never visited.
  EXPECT_EQ(fake.alterlist_values.size(), 1u);
  EXPECT_TRUE(fake.terminal.empty());
}

}  // namespace
}  // namespace keymend
