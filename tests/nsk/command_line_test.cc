#include "nsk/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nsk/startup_message.h"

namespace nsk {
namespace {

std::string Parse(std::vector<const char*> words, CommandLine* line) {
  words.insert(words.begin(), "keymend");
  return ParseCommandLine(static_cast<int>(words.size()), words.data(), line);
}

TEST(CommandLineTest, AcceptedLines) {
  struct Case {
    std::vector<const char*> words;
    const char* out_file;
    const char* parameters;
  } cases[] = {
      {{}, "", ""},
      {{"$DATA.*.*,", "$NEW.SUB"}, "", "$DATA.*.*, $NEW.SUB"},
      {{"-h"}, "", "-h"},
      {{"/OUT LOG/", "$A.B.C"}, "LOG", "$A.B.C"},
      {{"/out", "log/", "$A.B.C", "LISTONLY"}, "log", "$A.B.C LISTONLY"},
      {{"/OUT $TERM.#HOME/"}, "$TERM.#HOME", ""},
      {{"/OUT  LOG  /"}, "LOG", ""},
      {{"/OUT", "LOG/$A.B.C", "X"}, "LOG", "$A.B.C X"},
      {{"/OUT", "LOG", "/", "P"}, "LOG", "P"},
      {{"a", "/OUT x/"}, "", "a /OUT x/"},  // only the first word can open run options
      {{"", "x"}, "", " x"},
  };
  for (const Case& c : cases) {
    CommandLine line;
    EXPECT_EQ(Parse(c.words, &line), "") << c.parameters;
    EXPECT_EQ(line.out_file, c.out_file) << c.parameters;
    EXPECT_EQ(line.parameters, c.parameters);
  }
}

TEST(CommandLineTest, RejectedLines) {
  const std::vector<const char*> errors[] = {
      {"/OUT"}, {"/OUT", "LOG"}, {"/OUT/"}, {"/OUT /", "x"}, {"/OUT a b/"}, {"/NAME $KM/"}, {"/"},
  };
  for (const auto& words : errors) {
    CommandLine line;
    line.parameters = "unchanged";
    const std::string message = Parse(words, &line);
    EXPECT_NE(message, "") << words[0];
    EXPECT_EQ(message.find('\n'), std::string::npos);
    EXPECT_EQ(line.parameters, "unchanged") << words[0];
  }
}

TEST(CommandLineTest, ParameterStringLimit) {
  std::string longest(kMaxParameterBytes, 'A');
  CommandLine line;
  EXPECT_EQ(Parse({longest.c_str()}, &line), "");
  longest += 'A';
  EXPECT_NE(Parse({longest.c_str()}, &line), "");
}

TEST(EnvironmentTest, DefaultsOverride) {
  NameDefaults defaults;
  EXPECT_EQ(ParseDefaultsOverride(nullptr, &defaults), "");
  EXPECT_EQ(ParseDefaultsOverride("", &defaults), "");
  EXPECT_EQ(defaults.volume, "$DATA");
  EXPECT_EQ(ParseDefaultsOverride("$work.sales", &defaults), "");
  EXPECT_EQ(defaults.volume, "$WORK");
  EXPECT_EQ(defaults.subvolume, "SALES");
  EXPECT_EQ(defaults.node, "\\NODE");

  for (const char* bad : {"$WORK", "SALES", "$WORK.SALES.X", "\\N.$WORK.SALES", "$WORK.9",
                          "$WORK.*", "$TOOLONGVOL.S"}) {
    EXPECT_NE(ParseDefaultsOverride(bad, &defaults), "") << bad;
    EXPECT_EQ(defaults.volume, "$WORK") << bad;
  }
}

}  // namespace
}  // namespace nsk
