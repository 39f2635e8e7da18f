#include "lib/filename_search.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sys/fake_guardian.h"
#include "sys/guardian.h"

namespace keymend {
namespace {

using Lines = std::vector<std::string>;

class FilenameSearchTest : public ::testing::Test {
 protected:
  FilenameSearchTest() { previous_ = sys::install(&fake_); }
  ~FilenameSearchTest() override { sys::install(previous_); }

  // Starts a search for `text` over disk files, as the action loop does.
  int16_t Start(const std::string& text) {
    return NRX_FILENAME_FINDSTART_(&searchid_, text.data(), static_cast<int16_t>(text.size()),
                                   std::nullopt, sys::kDeviceTypeDisk);
  }

  struct Found {
    int16_t result;
    std::string name;  // "untouched" when neither name nor namelen changed
  };

  // The next name for `text` into a 36-byte buffer, as the action loop asks.
  Found Next(const std::string& text, std::optional<int16_t> maxlen = 36) {
    char name[48];
    std::fill(std::begin(name), std::end(name), '#');
    int16_t namelen = -7;
    const int16_t result =
        NRX_FILENAME_FINDNEXT_(searchid_, name, maxlen, &namelen, nullptr, std::nullopt,
                               text.data(), static_cast<int16_t>(text.size()));
    for (int k = namelen < 0 ? 0 : namelen; k < 48; ++k) EXPECT_EQ(name[k], '#') << text;
    if (namelen == -7) return {result, "untouched"};
    return {result, std::string(name, namelen)};
  }

  // Every name that the filtered search hands back for `text`.
  std::vector<std::string> All(const std::string& text) {
    std::vector<std::string> names;
    EXPECT_EQ(Start(text), 0) << text;
    for (int guard = 0; guard < 100; ++guard) {
      const Found f = Next(text);
      if (f.result != 0) {
        EXPECT_EQ(f.result, kNoMoreNames) << text;
        EXPECT_EQ(f.name, "untouched") << text;
        break;
      }
      names.push_back(f.name);
    }
    return names;
  }

  sys::FakeGuardian fake_;
  int16_t searchid_ = -1;

 private:
  sys::Guardian* previous_ = nullptr;
};

TEST_F(FilenameSearchTest, StartHandsTheSystemPatternOn) {
  struct Case {
    std::string text;
    std::string call;
  } cases[] = {
      {"$DATA*.SUB{..n}.FILE{..*}",
       "FILENAME_FINDSTART_(searchid, searchname=\"$DATA*.SUB*.FILE*\", length=17, devicetype=3)"},
      {"$DATA-.SUB+",
       "FILENAME_FINDSTART_(searchid, searchname=\"$DATA*.SUB*\", length=11, "
       "devicetype=3)"},
      {"X{an}{..a}", "FILENAME_FINDSTART_(searchid, searchname=\"X??*\", length=4, devicetype=3)"},
      {"A**--+B", "FILENAME_FINDSTART_(searchid, searchname=\"A*B\", length=3, devicetype=3)"},
      {"{..a..A}", "FILENAME_FINDSTART_(searchid, searchname=\"*\", length=1, devicetype=3)"},
      {"ABCDEFGH*",
       "FILENAME_FINDSTART_(searchid, searchname=\"ABCDEFGH*\", length=9, "
       "devicetype=3)"},
      {"", "FILENAME_FINDSTART_(searchid, searchname=\"\", length=0, devicetype=3)"},
  };
  for (const Case& c : cases) {
    fake_.calls.clear();
    searchid_ = -1;
    EXPECT_EQ(Start(c.text), 0) << c.text;
    EXPECT_EQ(fake_.calls, Lines{c.call}) << c.text;
    EXPECT_EQ(searchid_, 7) << c.text;
  }
}

TEST_F(FilenameSearchTest, StartRejectsBadTemplatesBeforeCallingTheSystem) {
  const std::string eight(8, 'A');
  struct Error {
    std::string text;
    int16_t error;
  } errors[] = {
      {"{a{n}}", -5},
      {"a}", -5},
      {"{a", -5},
      {"{x}", -7},
      {"{.}", -7},
      {"{..b}", -7},
      {"{$}", -7},
      {"{..", -7},
      {"{x", -7},
      {"$DATA*.SUB..n.FILE", -8},
      {"{aaaa}ABCDE", -8},
      {"\\ABCDEFGH", -8},
      {"A.B.C.D.E", -8},
      {eight + "." + eight + "." + eight + "." + eight + ".", -8},
      {std::string(61, 'A'), -6},
  };
  for (const Error& e : errors) {
    fake_.calls.clear();
    searchid_ = -1;
    EXPECT_EQ(Start(e.text), e.error) << e.text;
    EXPECT_TRUE(fake_.calls.empty()) << e.text;
    EXPECT_EQ(searchid_, -1) << e.text;
  }
  // The longest system pattern that fits, and one byte more.
  const std::string part = "A*A*A*A*A*A*A*A*";
  const std::string sixty = part + "." + part + "." + part + ".A*A*A*A*A";
  ASSERT_EQ(sixty.size(), 60u);
  fake_.calls.clear();
  EXPECT_EQ(Start(sixty), 0);
  EXPECT_EQ(fake_.calls.size(), 1u);
  EXPECT_EQ(Start(sixty + "*"), -6);
}

TEST_F(FilenameSearchTest, StartPassesExactlyWhatItWasGiven) {
  EXPECT_EQ(NRX_FILENAME_FINDSTART_(&searchid_), 0);
  EXPECT_EQ(NRX_FILENAME_FINDSTART_(&searchid_, "A{n}", 4, 1, 3, 0, 2, "{x}", 3), 0);
  EXPECT_EQ(fake_.calls,
            (Lines{"FILENAME_FINDSTART_(searchid)",
                   "FILENAME_FINDSTART_(searchid, searchname=\"A?\", length=2, resolvelevel=1, "
                   "devicetype=3, devicesubtype=0, options=2, startafter=\"{x}\", "
                   "startafter_length=3)"}));

  fake_.calls.clear();
  fake_.ScriptResult("FILENAME_FINDSTART_", 12);
  EXPECT_EQ(Start("A*"), 12) << "a system error is handed on";

  fake_.calls.clear();
  EXPECT_EQ(NRX_FILENAME_FINDSTART_(nullptr, "A*", 2), kNoSearchId);
  EXPECT_EQ(NRX_FILENAME_FINDSTART_(&searchid_, "A*"), kMissingParameter);
  EXPECT_EQ(NRX_FILENAME_FINDSTART_(&searchid_, "A*", 2, {}, {}, {}, {}, "X"), kMissingParameter);
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(FilenameSearchTest, NextFiltersTheSystemsNames) {
  fake_.search_names = {"$DATA1.SUB12.FILEA", "$DATA1.SUBX.FILEA", "$DATA2.SUB3.FILE",
                        "$DATA2.SUB.FILEB"};
  EXPECT_EQ(All("$DATA*.SUB{..n}.FILE{..*}"),
            (Lines{"$DATA1.SUB12.FILEA", "$DATA2.SUB3.FILE", "$DATA2.SUB.FILEB"}));
  // Each call translates and qualifies the template anew, then takes names.
  const Lines resolves = fake_.CallsTo("FILENAME_RESOLVE_");
  ASSERT_EQ(resolves.size(), 4u);
  EXPECT_EQ(resolves[0],
            "FILENAME_RESOLVE_(partialname=\"$DATA*.SUB+.FILE*\", length=17, fullname, maxlen=36, "
            "fullname_length)");
  EXPECT_EQ(fake_.CallsTo("FILENAME_FINDNEXT_").size(), 5u);
  EXPECT_EQ(fake_.CallsTo("FILENAME_FINDNEXT_")[0],
            "FILENAME_FINDNEXT_(searchid=7, name, maxlen=36, namelen)");
}

TEST_F(FilenameSearchTest, FilterCases) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> offered;
    std::vector<std::string> handed_back;
  } cases[] = {
      {"letters in either case",
       "{..a}",
       {"$DATA.USER.abc", "$DATA.USER.ABC", "$DATA.USER.AB1"},
       {"$DATA.USER.abc", "$DATA.USER.ABC"}},
      {"plain name in either case",
       "file",
       {"$DATA.USER.FILE", "$DATA.USER.FILES"},
       {"$DATA.USER.FILE"}},
      {"letter and digit tokens outside groups",
       "X'~",
       {"$DATA.USER.XA1", "$DATA.USER.XAB", "$DATA.USER.X'~"},
       {"$DATA.USER.XA1", "$DATA.USER.X'~"}},
      {"digits", "S.F{nn}", {"$DATA.S.F1", "$DATA.S.F12", "$DATA.S.F123"}, {"$DATA.S.F12"}},
      {"node dropped from a found name",
       "$DATA*.X*",
       {"\\NODE.$DATA1.XA", "$DATA2.XB", "\\NODE.$OTHER.XC"},
       {"$DATA1.XA", "$DATA2.XB"}},
      {"node dropped from the pattern",
       "\\NODE.$DATA*.X*",
       {"$DATA1.XA", "\\NODE.$DATA2.XB"},
       {"$DATA1.XA", "\\NODE.$DATA2.XB"}},
      {"pattern keeps its reduced form for the call",
       "\\NODE.$DATA*.X*",
       {"$DATA1.YA", "\\NODE.$DATA2.XB"},
       {"$DATA2.XB"}},
      {"nothing matches", "{..n}", {"$DATA.USER.A", "$DATA.USER.B"}, {}},
  };
  for (const Case& c : cases) {
    fake_.search_names = c.offered;
    fake_.calls.clear();
    EXPECT_EQ(All(c.text), c.handed_back) << c.name;
  }
}

TEST_F(FilenameSearchTest, NodeAlignmentCallsDecompose) {
  fake_.search_names = {"\\NODE.$DATA1.XA"};
  ASSERT_EQ(Start("$DATA*.X*"), 0);
  EXPECT_EQ(Next("$DATA*.X*").name, "$DATA1.XA");
  EXPECT_EQ(fake_.CallsTo("FILENAME_DECOMPOSE_"),
            Lines{"FILENAME_DECOMPOSE_(filename=\"\\x5CNODE.$DATA1.XA\", length=15, piece, "
                  "maxlen=36, piece_length, level=0, options=1)"});

  fake_.calls.clear();
  fake_.search_names = {"$DATA1.XA"};
  ASSERT_EQ(Start("\\NODE.$DATA*.X*"), 0);
  EXPECT_EQ(Next("\\NODE.$DATA*.X*").name, "$DATA1.XA");
  EXPECT_EQ(fake_.CallsTo("FILENAME_DECOMPOSE_"),
            Lines{"FILENAME_DECOMPOSE_(filename=\"\\x5CNODE.$DATA*.X*\", length=15, piece, "
                  "maxlen=36, piece_length, level=0, options=1)"});
}

TEST_F(FilenameSearchTest, NextErrorsLeaveNameAlone) {
  fake_.search_names = {"$DATA.USER.A"};
  ASSERT_EQ(Start("*"), 0);
  struct Error {
    std::string text;
    int16_t error;
  } errors[] = {
      {"{a{n}}", -5}, {"{a", -5}, {"}", -5}, {"{x}", -7}, {"{..", -7}, {std::string(231, 'A'), -6},
  };
  for (const Error& e : errors) {
    fake_.calls.clear();
    const Found f = Next(e.text);
    EXPECT_EQ(f.result, e.error) << e.text.substr(0, 10);
    EXPECT_EQ(f.name, "untouched") << e.text.substr(0, 10);
    EXPECT_TRUE(fake_.calls.empty()) << e.text.substr(0, 10) << ": nothing taken";
  }
  // 230 bytes of internal pattern pass translation; FILENAME_RESOLVE_ then
  // refuses a name that long, and its error is handed on.
  fake_.calls.clear();
  const Found too_long = Next(std::string(230, 'A'));
  EXPECT_NE(too_long.result, -6);
  EXPECT_EQ(fake_.CallsTo("FILENAME_RESOLVE_").size(), 1u);
  EXPECT_TRUE(fake_.CallsTo("FILENAME_FINDNEXT_").empty());

  fake_.calls.clear();
  fake_.ScriptResult("FILENAME_RESOLVE_", 13);
  const Found unresolved = Next("*");
  EXPECT_EQ(unresolved.result, 13);
  EXPECT_EQ(unresolved.name, "untouched");
  EXPECT_TRUE(fake_.CallsTo("FILENAME_FINDNEXT_").empty());

  fake_.ScriptResult("FILENAME_FINDNEXT_", 45);
  EXPECT_EQ(Next("*").result, 45);
  EXPECT_EQ(Next("*").name, "$DATA.USER.A") << "the search goes on after an error";
}

TEST_F(FilenameSearchTest, NextOutputsOnTheFilteredPath) {
  fake_.search_names = {"$DATA.USER.LONGNAME", "$DATA.USER.B", "$DATA.USER.C", "$DATA.USER.D"};
  ASSERT_EQ(Start("*"), 0);
  const Found small = Next("*", 10);
  EXPECT_EQ(small.result, kBufferTooSmall);
  EXPECT_EQ(small.name, "untouched");
  EXPECT_EQ(Next("*", std::nullopt).name, "$DATA.USER.B") << "without maxlen: room for 36";

  // Without `name` a match still returns 0; nothing is written.
  int16_t namelen = -7;
  EXPECT_EQ(NRX_FILENAME_FINDNEXT_(searchid_, nullptr, {}, &namelen, nullptr, {}, "*", 1), 0);
  EXPECT_EQ(namelen, -7);

  // `name` without `namelen` is refused before anything is called.
  char name[36];
  fake_.calls.clear();
  EXPECT_EQ(NRX_FILENAME_FINDNEXT_(searchid_, name, 36, nullptr, nullptr, {}, "*", 1),
            kMissingParameter);
  EXPECT_EQ(NRX_FILENAME_FINDNEXT_(searchid_, name, 36, &namelen, nullptr, {}, "*"),
            kMissingParameter);
  EXPECT_TRUE(fake_.calls.empty());

  // entityinfo and tag go to every FILENAME_FINDNEXT_, passed-over ones too.
  fake_.search_names = {"$DATA.USER.X1", "$DATA.USER.X2", "$DATA.USER.Y"};
  ASSERT_EQ(Start("Y"), 0);
  fake_.calls.clear();
  int16_t info[5] = {};
  EXPECT_EQ(NRX_FILENAME_FINDNEXT_(searchid_, name, 36, &namelen, info, 5, "Y", 1), 0);
  EXPECT_EQ(std::string(name, namelen), "$DATA.USER.Y");
  EXPECT_EQ(info[0], sys::kDeviceTypeDisk);
  const Lines nexts = fake_.CallsTo("FILENAME_FINDNEXT_");
  ASSERT_EQ(nexts.size(), 3u);
  for (const std::string& line : nexts) {
    EXPECT_EQ(line, "FILENAME_FINDNEXT_(searchid=7, name, maxlen=36, namelen, entityinfo, tag=5)");
  }
}

TEST_F(FilenameSearchTest, NextPlainPathIsTheSystemSearch) {
  fake_.search_names = {"$DATA.USER.A"};
  ASSERT_EQ(NRX_FILENAME_FINDSTART_(&searchid_), 0);
  fake_.calls.clear();
  char name[36];
  int16_t namelen = 0;
  EXPECT_EQ(NRX_FILENAME_FINDNEXT_(searchid_, name, 36, &namelen), 0);
  EXPECT_EQ(std::string(name, namelen), "$DATA.USER.A");
  EXPECT_EQ(NRX_FILENAME_FINDNEXT_(searchid_, nullptr, 36, &namelen), kNoMoreNames);
  EXPECT_EQ(NRX_FILENAME_FINDNEXT_(searchid_), kNoMoreNames);
  EXPECT_EQ(fake_.calls,
            (Lines{"FILENAME_FINDNEXT_(searchid=7, name, maxlen=36, namelen)",
                   "FILENAME_FINDNEXT_(searchid=7, namelen)", "FILENAME_FINDNEXT_(searchid=7)"}));

  fake_.calls.clear();
  EXPECT_EQ(NRX_FILENAME_FINDNEXT_(std::nullopt, name, 36, &namelen, nullptr, {}, "*", 1),
            kNoSearchId);
  EXPECT_EQ(NRX_FILENAME_FINDNEXT_(std::nullopt), kNoSearchId);
  EXPECT_TRUE(fake_.calls.empty());
}

TEST_F(FilenameSearchTest, Finish) {
  ASSERT_EQ(Start("*"), 0);
  fake_.calls.clear();
  EXPECT_EQ(NRX_FILENAME_FINDFINISH_(searchid_), 0);
  EXPECT_EQ(NRX_FILENAME_FINDFINISH_(3), 590);
  EXPECT_EQ(fake_.calls,
            (Lines{"FILENAME_FINDFINISH_(searchid=7)", "FILENAME_FINDFINISH_(searchid=3)"}));
}

}  // namespace
}  // namespace keymend
