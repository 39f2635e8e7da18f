// TWRITE over the fake platform: one WRITE per line, and what each kind of
// write failure leads to.
#include "driver/terminal_output.h"

#include "tests/support/program_test.h"

namespace keymend {
namespace {

using ::keymend::testing::ProgramTest;

class TwriteTest : public ProgramTest {
 protected:
  std::optional<sys::ProcessEnded> Write(const char* text) {
    return Run([text] { TWRITE(1, text, static_cast<int16_t>(std::strlen(text))); });
  }
};

TEST_F(TwriteTest, NoOutFileMeansNoCallAtAll) {
  EXPECT_EQ(TWRITE(-1, "lost", 4), 0);
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(TwriteTest, OneWriteWithThreeParameters) {
  int16_t fnum = 0;
  sys::FILE_OPEN_("$TERM.#HOME", 11, &fnum);
  fake.calls.clear();
  EXPECT_EQ(Write("a line"), std::nullopt);
  EXPECT_EQ(fake.calls, std::vector<std::string>{
                            "WRITE(filenum=1, buffer=\"a line\", write_count=6)"});
  EXPECT_EQ(fake.terminal, std::vector<std::string>{"a line"});
}

TEST_F(TwriteTest, RetriesTheSameBytesWhileFileerrorSaysSo) {
  int16_t fnum = 0;
  sys::FILE_OPEN_("$TERM.#HOME", 11, &fnum);
  fake.calls.clear();
  fake.write_errors = {45, 45};
  fake.fileerror_answers = {1, 1};
  EXPECT_EQ(Write("again"), std::nullopt);
  const std::vector<std::string> expected = {
      "WRITE(filenum=1, buffer=\"again\", write_count=5)", "FILEINFO(filenum=1, error)",
      "FILEERROR(filenum=1)",
      "WRITE(filenum=1, buffer=\"again\", write_count=5)", "FILEINFO(filenum=1, error)",
      "FILEERROR(filenum=1)",
      "WRITE(filenum=1, buffer=\"again\", write_count=5)",
  };
  EXPECT_EQ(fake.calls, expected);
  EXPECT_EQ(fake.terminal, std::vector<std::string>{"again"});
}

TEST_F(TwriteTest, GivesUpWithAbendWhenFileerrorSaysNo) {
  fake.write_errors = {201};
  fake.fileerror_answers = {0};
  std::optional<sys::ProcessEnded> ended = Write("x");
  ASSERT_TRUE(ended);
  EXPECT_EQ(ended->how, sys::ProcessEnded::How::kAbend);
  EXPECT_EQ(fake.calls.back(), "ABEND()");
}

TEST_F(TwriteTest, BreakFinishesTheSearchThenStops) {
  for (int16_t error : {110, 111}) {
    SCOPED_TRACE(error);
    fake.calls.clear();
    SEARCHID = 4;
    fake.write_errors = {error};
    std::optional<sys::ProcessEnded> ended = Write("x");
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->how, sys::ProcessEnded::How::kProcessStop);
    EXPECT_EQ(ended->completion_code, 0);
    const std::vector<std::string> expected = {
        "WRITE(filenum=1, buffer=\"x\", write_count=1)", "FILEINFO(filenum=1, error)",
        "FILENAME_FINDFINISH_(searchid=4)", "PROCESS_STOP_()"};
    EXPECT_EQ(fake.calls, expected);
  }
}

TEST_F(TwriteTest, LineHelpersNeverWritePastTheBuffer) {
  StartLine();
  const std::string big(kLineBufferBytes + 100, 'x');
  PutText(big.data(), static_cast<int>(big.size()));
  EXPECT_EQ(LINENEXT - LINESTART, kLineBufferBytes);
  EXPECT_EQ(RoomLeft(), 0);
  PutText("more");
  EXPECT_EQ(LINENEXT - LINESTART, kLineBufferBytes);
}

}  // namespace
}  // namespace keymend
