// GETUSERVALUES on the parameter strings a user can type.
#include "driver/user_values.h"

#include "driver/startup.h"
#include "tests/support/program_test.h"

namespace keymend {
namespace {

using ::keymend::testing::ProgramTest;

constexpr char kSyntax[] = "Invalid command syntax.";
constexpr char kUnusable[] = "User supplied DEFAULT unusable";
constexpr char kKeyword[] = "Invalid keyword.";
constexpr char kHint[] = "Type  KEYMEND -H[ELP]  to get help";

struct Case {
  std::string parameters;
  const char* message;     // nullptr: accepted
  std::string template_;   // when accepted
  std::string location;    // when accepted
  bool listonly;
};

const Case kCases[] = {
    {"", nullptr, "$DATA.USER.*", "$DATA.USER", false},
    {"$DATA.SALES.*", nullptr, "$DATA.SALES.*", "$DATA.USER", false},
    {",$DATA2.SALES", nullptr, "$DATA.USER.*", "$DATA2.SALES", false},
    {"$DATA.SALES.*,$DATA2.SALES,listonly", nullptr, "$DATA.SALES.*", "$DATA2.SALES", true},
    {"$DATA.SALES.*,,LISTONLY", nullptr, "$DATA.SALES.*", "$DATA.USER", true},
    {",,LISTONLY", nullptr, "$DATA.USER.*", "$DATA.USER", true},
    {"$DATA.SALES.*,$DATA2.SALES,LISTONLY,X", nullptr, "$DATA.SALES.*", "$DATA2.SALES", true},
    {"$DATA.SALES.*,\\NODE", nullptr, "$DATA.SALES.*", "\\NODE", false},
    {"$DATA.SALES.*,$DATA2", nullptr, "$DATA.SALES.*", "$DATA2", false},
    {"$data.sales.*,$data2.sales", nullptr, "$data.sales.*", "$data2.sales", false},
    {"$DATA.SALES.*,", kSyntax, "", "", false},
    {",", kSyntax, "", "", false},
    {"$DATA.SALES.*,,", kSyntax, "", "", false},
    {"$DATA.SALES.* $DATA2.SALES", kSyntax, "", "", false},
    {"$DATA.SALES.*,$DATA2.SALES $X", kSyntax, "", "", false},
    {"$DATA.SALES.*,$DATA2.SALES,", kSyntax, "", "", false},
    {"$DATA.SALES.*,$DATA2.SALES,LIST", kKeyword, "", "", false},
    {"$DATA.SALES.*,$DATA2.SALES,,LISTONLY", kKeyword, "", "", false},
    {"$DATA.SALES.*,$DATA2.SALES,LISTONLYX", kKeyword, "", "", false},
    {"$DATA.SALES.*,$DATA2.SALES.FILE", kUnusable, "", "", false},
    {"$DATA.SALES.*,1DATA", kUnusable, "", "", false},
    {"$DATA.SALES.*,$DATA*", kUnusable, "", "", false},
    // Refused rather than cut: a longer value would point elsewhere.
    {std::string(51, 'A'), kSyntax, "", "", false},
    {std::string(50, 'A'), nullptr, std::string(50, 'A'), "$DATA.USER", false},
    {"$DATA.SALES.*,$DATA2." + std::string(31, 'S'), kUnusable, "", "", false},
    {std::string(400, ','), kSyntax, "", "", false},
};

class UserValuesTest : public ProgramTest {
 protected:
  // Startup with `parameters`, then GETUSERVALUES; the completion code, or
  // -1 when it returned.
  int Take(const std::string& parameters) {
    ResetGlobals();
    fake.terminal.clear();
    fake.calls.clear();
    StartWith(parameters);
    GETSTARTUP(nullptr, nullptr, fake.startup_message.data(), fake.startup_message_length, 0);
    OUTFNUM = 1;
    std::optional<sys::ProcessEnded> ended = Run([] { GETUSERVALUES(); });
    return ended ? ended->completion_code : -1;
  }
};

TEST_F(UserValuesTest, AcceptedAndRefusedParameterStrings) {
  int16_t fnum = 0;
  sys::FILE_OPEN_("$TERM.#HOME", 11, &fnum);
  for (const Case& c : kCases) {
    SCOPED_TRACE("parameters: " + c.parameters);
    const int code = Take(c.parameters);
    if (c.message == nullptr) {
      EXPECT_EQ(code, -1);
      EXPECT_TRUE(fake.terminal.empty());
      EXPECT_EQ(std::string(TEMPLATE, size_t(TEMPLATELEN)), c.template_);
      EXPECT_EQ(std::string(DEFAULTLOCATION, size_t(DEFAULTLOCATIONLEN)), c.location);
      EXPECT_EQ(LISTONLY, c.listonly);
    } else {
      EXPECT_EQ(code, sys::kCompletionFatal);
      EXPECT_EQ(fake.terminal, (std::vector<std::string>{c.message, kHint}));
      EXPECT_FALSE(LISTONLY);
    }
  }
}

TEST_F(UserValuesTest, DefaultCheckResolvesATrialNameWithTheDefaults) {
  int16_t fnum = 0;
  sys::FILE_OPEN_("$TERM.#HOME", 11, &fnum);
  Take(",$DATA2.SALES");
  const std::vector<std::string> resolves = fake.CallsTo("FILENAME_RESOLVE_");
  const std::vector<std::string> expected = {
      "FILENAME_RESOLVE_(partialname=\"*\", length=1, fullname, maxlen=36, fullname_length)",
      "FILENAME_RESOLVE_(partialname=\"Test\", length=4, fullname, maxlen=36, fullname_length, "
      "defaults=\"$DATA2.SALES\", defaults_length=12)",
  };
  EXPECT_EQ(resolves, expected);
  // The trial name is never shown.
  EXPECT_TRUE(fake.terminal.empty());
}

}  // namespace
}  // namespace keymend
