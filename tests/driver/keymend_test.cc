// The main procedure over the fake platform: the order of the stages, the
// help request, and a run without an OUT file.
#include "driver/keymend.h"

#include <algorithm>

#include "driver/banner.h"
#include "tests/support/program_test.h"

namespace keymend {
namespace {

using ::keymend::testing::ProgramTest;

const char kBanner[] = "KEYMEND (201) - V6034H06 - (28Feb2011)   System \\NODE, running NSK H06.29";

class KeymendTest : public ProgramTest {
 protected:
  sys::ProcessEnded RunMain(const std::string& parameters) {
    ResetGlobals();
    fake.calls.clear();
    fake.terminal.clear();
    StartWith(parameters);
    std::optional<sys::ProcessEnded> ended = Run([] { KEYMEND(); });
    EXPECT_TRUE(ended) << "KEYMEND returned";
    return ended.value_or(sys::ProcessEnded{});
  }
  std::vector<std::string> HelpOutput() {
    std::vector<std::string> out = {kBanner, kBannerNotice};
    for (const char* line : kHelpLines) out.emplace_back(line);
    return out;
  }
};

TEST_F(KeymendTest, HelpLinesHaveTheirExactLengths) {
  const size_t lengths[13] = {44, 18, 39, 5, 70, 53, 63, 45, 70, 60, 47, 67, 27};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(std::strlen(kHelpLines[i]), lengths[i]) << i;
}

TEST_F(KeymendTest, HelpRequests) {
  for (const char* p : {"-h", "-H", "-help", "-HELP", "-HeLp", "-H,$DATA.X", "-HELP LISTONLY"}) {
    SCOPED_TRACE(p);
    const sys::ProcessEnded ended = RunMain(p);
    EXPECT_EQ(ended.how, sys::ProcessEnded::How::kProcessStop);
    EXPECT_EQ(ended.completion_code, 0);
    EXPECT_EQ(fake.terminal, HelpOutput());
    EXPECT_EQ(fake.calls.back(), "PROCESS_STOP_()");
    EXPECT_TRUE(fake.CallsTo("FILENAME_FINDSTART_").empty());
  }
}

TEST_F(KeymendTest, NotHelpRequests) {
  for (const char* p : {"-HE", "-HEL", "-HELPS", "HELP", "-", "--HELP", ""}) {
    SCOPED_TRACE(p);
    RunMain(p);
    ASSERT_GE(fake.terminal.size(), 2u);
    EXPECT_EQ(fake.terminal[0], kBanner);
    EXPECT_EQ(std::find(fake.terminal.begin(), fake.terminal.end(), kHelpLines[0]),
              fake.terminal.end());
    // The run went on to the user values and the search.
    EXPECT_FALSE(fake.CallsTo("FILENAME_FINDSTART_").empty());
  }
}

TEST_F(KeymendTest, StagesInOrderWithExactlyTheirParameters) {
  RunMain("-H");
  ASSERT_GE(fake.calls.size(), 2u);
  EXPECT_EQ(fake.calls[0], "INITIALIZER(startupproc)");
  EXPECT_EQ(fake.CallsTo("FILE_OPEN_"),
            std::vector<std::string>{
                "FILE_OPEN_(filename=\"$TERM.#HOME\", length=11, filenum)"});
}

TEST_F(KeymendTest, RejectedTemplateStopsWithFatalCompletion) {
  const sys::ProcessEnded ended = RunMain("{*");
  EXPECT_EQ(ended.how, sys::ProcessEnded::How::kStop);
  EXPECT_EQ(ended.completion_code, sys::kCompletionFatal);
  const std::vector<std::string> tail(fake.terminal.end() - 2, fake.terminal.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"File name template invalid: {*",
                                            "No action so far: Operation terminated."}));
}

TEST_F(KeymendTest, WithoutOutFileTheWorkIsStillDone) {
  fake.search_names = {"$DATA.USER.HEAD"};
  fake.files["$DATA.USER.HEAD"] = {3, 0, sys::MakeAltKeyList({{}}, {"$OLD.X.ALT"})};
  ResetGlobals();
  StartWith("", sys::InternalName("$NOSUCH", "OUT", "FILE"));
  std::optional<sys::ProcessEnded> ended = Run([] { KEYMEND(); });
  ASSERT_TRUE(ended);
  EXPECT_EQ(ended->completion_code, 0);
  EXPECT_TRUE(fake.CallsTo("WRITE").empty());
  EXPECT_EQ(fake.files["$DATA.USER.HEAD"].altlist,
            sys::MakeAltKeyList({{}}, {"$DATA.USER.ALT"}));
}

}  // namespace
}  // namespace keymend
