// GETSTARTUP on crafted startup messages.
#include "driver/startup.h"

#include "tests/support/program_test.h"

namespace keymend {
namespace {

using ::keymend::testing::ProgramTest;

class StartupTest : public ProgramTest {
 protected:
  void Take(const std::string& in, const std::string& parameters,
            const std::string& out = sys::InternalName("$TERM", "#HOME", "")) {
    int16_t length = 0;
    std::vector<int16_t> message =
        sys::MakeStartupMessage("$DATA", "USER", in, out, parameters, &length);
    GETSTARTUP(nullptr, nullptr, message.data(), length, 0);
  }
  static std::vector<std::string> Tokens() {
    std::vector<std::string> out;
    for (int i = 0; i < TOKENTABLE.COUNT; ++i) {
      out.emplace_back(TOKENTABLE.TOKEN[i].PTR, TOKENTABLE.TOKEN[i].LEN);
    }
    return out;
  }
  static std::string DefaultLocation() { return {DEFAULTLOCATION, size_t(DEFAULTLOCATIONLEN)}; }
};

TEST_F(StartupTest, ParameterStrings) {
  struct Case {
    const char* label;
    std::string parameters;
    std::vector<std::string> tokens;
  } cases[] = {
      {"exactly 66 bytes", "", {}},
      {"starts with NUL", std::string("\0X,Y", 4), {}},
      {"NUL in the middle", std::string("A,B\0C,D", 7), {"A", ",", "B"}},
      {"no NUL at all", "A B", {"A", "B"}},
      {"template and default", "$DATA.SALES.*,$DATA2.SALES\0",
       {"$DATA.SALES.*", ",", "$DATA2.SALES"}},
      {"blanks and commas", "  x ,  , y  \0", {"x", ",", ",", "y"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ResetGlobals();
    Take(sys::InternalName("$TERM", "#HOME", ""), c.parameters);
    EXPECT_EQ(Tokens(), c.tokens);
    EXPECT_EQ(TOKENTABLE.TOKEN[TOKENTABLE.COUNT].LEN, 0);
    EXPECT_FALSE(PARAMETERSCUT);
  }
}

TEST_F(StartupTest, DefaultLocationIsOnlyVolumeAndSubvolumeWhateverTheInFile) {
  const std::string ins[] = {
      sys::InternalName("$TERM", "#HOME", ""), std::string(24, ' '),
      sys::InternalName("ABC", "", ""),        sys::InternalName("$DATA", "SUB", "FILE"),
      std::string(24, '\x7F'),                 std::string(24, '\0'),
  };
  for (const std::string& in : ins) {
    SCOPED_TRACE(in);
    ResetGlobals();
    Take(in, std::string("\0", 1));
    EXPECT_EQ(DefaultLocation(), "$DATA.USER");
  }
}

TEST_F(StartupTest, MakesExactlyTheThreeNameCalls) {
  Take(sys::InternalName("$TERM", "#HOME", ""), std::string("\0", 1));
  EXPECT_EQ(std::string(OUTFILENAME, size_t(OUTFILENAMELEN)), "$TERM.#HOME");
  const std::vector<std::string> expected = {
      "OLDFILENAME_TO_FILENAME_(oldfilename=\"$TERM   #HOME           \", filename, maxlen=36, "
      "filename_length)",
      "OLDFILENAME_TO_FILENAME_(oldfilename=\"$DATA   USER    $TERM   \", filename, maxlen=36, "
      "filename_length)",
      "FILENAME_DECOMPOSE_(filename=\"$DATA.USER\", length=10, piece, maxlen=36, piece_length, "
      "level=1, options=2)",
  };
  EXPECT_EQ(fake.calls, expected);
}

TEST_F(StartupTest, ShortMessagesCopyNothingAndHaveNoParameters) {
  for (int16_t length : {0, 1, 20, 41, 65, 66}) {
    SCOPED_TRACE(length);
    ResetGlobals();
    int16_t full = 0;
    std::vector<int16_t> message = sys::MakeStartupMessage(
        "$DATA", "USER", sys::InternalName("$TERM", "#HOME", ""),
        sys::InternalName("$TERM", "#HOME", ""), "NOT,PART", &full);
    GETSTARTUP(nullptr, nullptr, message.data(), length, 0);
    EXPECT_EQ(TOKENTABLE.COUNT, 0);
    EXPECT_EQ(TOKENTABLE.TOKEN[0].LEN, 0);
    EXPECT_EQ(OUTFILENAMELEN, length >= 66 ? 11 : 0);
  }
}

TEST_F(StartupTest, ParametersTooLongForTheBuffersAreFlagged) {
  struct Case {
    const char* label;
    std::string parameters;
    bool cut;
  } cases[] = {
      {"longer than LINEBUFFER", std::string(12000, 'A'), true},
      {"NUL early in a long message", std::string("A,B\0", 4) + std::string(11000, 'x'), false},
      {"does not fit the token text", std::string(400, ',') + '\0', true},
      {"fits the token text", std::string(300, ',') + '\0', false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ResetGlobals();
    Take(sys::InternalName("$TERM", "#HOME", ""), c.parameters);
    EXPECT_EQ(PARAMETERSCUT, c.cut);
    EXPECT_LE(LINENEXT - LINESTART, kLineBufferBytes);
  }
}

}  // namespace
}  // namespace keymend
