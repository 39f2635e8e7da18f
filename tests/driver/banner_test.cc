// The banner and the OS version text.
#include "driver/banner.h"

#include "driver/terminal_output.h"
#include "driver/version.h"
#include "tests/support/program_test.h"

namespace keymend {
namespace {

using ::keymend::testing::ProgramTest;

class BannerTest : public ProgramTest {
 protected:
  BannerTest() { OpenTerminal(); }
};

TEST_F(BannerTest, TwoLinesWithNodeAndVersion) {
  PRINTBANNER();
  ASSERT_EQ(fake.terminal.size(), 2u);
  EXPECT_EQ(fake.terminal[0],
            "KEYMEND (201) - V6034H06 - (28Feb2011)   System \\NODE, running NSK H06.29");
  EXPECT_EQ(fake.terminal[1], kBannerNotice);
}

TEST_F(BannerTest, CallsCarryExactlyTheirParameters) {
  PRINTBANNER();
  const std::vector<std::string> expected = {
      "NODENUMBER_TO_NODENAME_(nodename, maxlen=10, nodename_length)",
      "PROCESSOR_GETINFOLIST_(attribute_list={3,60}, attribute_count=2, values_list, "
      "values_maxlen=2, values_length)",
      "DNUMOUT(buffer, dnumber=6, base=10, width=2)",
      "DNUMOUT(buffer, dnumber=29, base=10, width=2)",
  };
  std::vector<std::string> system_calls;
  for (const std::string& c : fake.calls) {
    if (c.rfind("WRITE(", 0) != 0) system_calls.push_back(c);
  }
  EXPECT_EQ(system_calls, expected);
}

TEST_F(BannerTest, FullLengthNodeNameGrowsTheLineByItsLength) {
  fake.node_name = "\\ABCDEFGHI";  // 10 bytes
  PRINTBANNER();
  EXPECT_EQ(fake.terminal[0],
            "KEYMEND (201) - V6034H06 - (28Feb2011)   System \\ABCDEFGHI, running NSK H06.29");
}

TEST_F(BannerTest, OsVersionText) {
  struct Case {
    int16_t version, update;
    const char* text;
  } cases[] = {
      {static_cast<int16_t>((('H' + 10) << 8) | 6), 29, "H06.29"},
      {static_cast<int16_t>((('J' + 10) << 8) | 6), 5, "J06.05"},
      {static_cast<int16_t>((('L' + 10) << 8) | 21), 0, "L21.00"},
  };
  for (const Case& c : cases) {
    fake.os_version_word = c.version;
    fake.os_update_word = c.update;
    char buffer[20] = {};
    const int16_t n = NRX_OSVERSION_(buffer);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)), c.text);
  }
}

TEST_F(BannerTest, SilentWithoutOutFile) {
  OUTFNUM = -1;
  PRINTBANNER();
  EXPECT_TRUE(fake.terminal.empty());
  EXPECT_TRUE(fake.CallsTo("WRITE").empty());
}

}  // namespace
}  // namespace keymend
