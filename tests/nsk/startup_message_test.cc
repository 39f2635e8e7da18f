#include "nsk/startup_message.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace nsk {
namespace {

const NameDefaults kDefaults{"\\NODE", "$DATA", "USER"};

std::string Bytes(const StartupMessage& message) {
  return std::string(reinterpret_cast<const char*>(message.words.data()),
                     static_cast<size_t>(message.length));
}

TEST(OldFileNameTest, AcceptedNames) {
  struct Case {
    const char* name;
    const char* old_form;
  } cases[] = {
      {"$TERM.#HOME", "$TERM   #HOME           "},
      {"$term.#home", "$TERM   #HOME           "},
      {"$TAPE", "$TAPE                   "},
      {"orders", "$DATA   USER    ORDERS  "},
      {"sales.orders", "$DATA   SALES   ORDERS  "},
      {"$D2.SALES.ORDERS", "$D2     SALES   ORDERS  "},
      {"\\node.$d2.s.f", "$D2     S       F       "},
      {"$ABCDEFG.ABCDEFGH.A1234567", "$ABCDEFGABCDEFGHA1234567"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToOldFileName(c.name, kDefaults), std::optional<std::string>(c.old_form)) << c.name;
  }
}

TEST(OldFileNameTest, NamesWithoutAnOldForm) {
  const char* errors[] = {
      "",
      "\\OTHER.$DATA.S.F",  // another node
      "\\NODE",
      "\\NODE.S.F",
      "$DATA.SALES",  // a subvolume, not a file
      "$TERM.#HOME.X",
      "$DATA.#Q.F",
      "a.b.c.d",
      "1ABC",
      "$ABCDEFGH.S.F",  // volume of 8
      "S.ABCDEFGHI",    // file id of 9
      "S*.F",
      "$DATA..F",
      "ORDERS.",
  };
  for (const char* name : errors) {
    EXPECT_EQ(ToOldFileName(name, kDefaults), std::nullopt) << name;
    EXPECT_EQ(OldFileNameOrBlanks(name, kDefaults), std::string(24, ' ')) << name;
  }
}

TEST(StartupMessageTest, ExactLayout) {
  const StartupMessage message =
      BuildStartupMessage({"\\NODE", "$DATA1", "sales"}, kHomeTerminal, "log", "$X.*, LISTONLY");
  std::string expected("\xFF\xFF", 2);
  expected += "$DATA1  SALES   ";
  expected += "$TERM   #HOME           ";
  expected += "$DATA1  SALES   LOG     ";
  expected += "$X.*, LISTONLY";
  expected += '\0';
  EXPECT_EQ(message.length, 66 + 14 + 1);
  EXPECT_EQ(Bytes(message), expected);
  EXPECT_EQ(message.words[0], -1);
}

TEST(StartupMessageTest, EmptyParametersAndOddLength) {
  // 67 bytes: the last word is padded with a zero byte that is not counted.
  StartupMessage message = BuildStartupMessage(kDefaults, kHomeTerminal, kHomeTerminal, "");
  EXPECT_EQ(message.length, 67);
  ASSERT_EQ(message.words.size(), 34u);
  const char* bytes = reinterpret_cast<const char*>(message.words.data());
  EXPECT_EQ(std::string(bytes + 42, 24), "$TERM   #HOME           ");
  EXPECT_EQ(bytes[66], '\0');
  EXPECT_EQ(bytes[67], '\0');

  message = BuildStartupMessage(kDefaults, kHomeTerminal, kHomeTerminal, "A");
  EXPECT_EQ(message.length, 68);
  EXPECT_EQ(message.words.size(), 34u);
}

TEST(StartupMessageTest, OutFileThatHasNoOldFormIsBlank) {
  const StartupMessage message =
      BuildStartupMessage(kDefaults, kHomeTerminal, "\\FAR.$DATA.S.F", "P");
  EXPECT_EQ(Bytes(message).substr(42, 24), std::string(24, ' '));
  EXPECT_EQ(Bytes(message).substr(66), std::string("P", 2));
}

}  // namespace
}  // namespace nsk
