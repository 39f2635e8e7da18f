// ADJUSTALTERNATEKEYFILES over the fake platform: what it reads, what it
// writes back (byte for byte), and what it answers.
#include "adjust/alternate_keys.h"

#include <cstring>

#include "tests/support/program_test.h"

namespace keymend {
namespace {

using ::keymend::testing::ProgramTest;

constexpr char kHead[] = "$DATA.SALES.ORDERS";

std::vector<uint8_t> ListOf(const std::vector<std::string>& names, int keys = 1) {
  std::vector<sys::AltKeyDescriptor> descriptors;
  for (int k = 0; k < keys; ++k) {
    sys::AltKeyDescriptor d;
    d.specifier = static_cast<int16_t>(('A' << 8) | ('0' + k));
    d.offset = static_cast<int16_t>(10 * k);
    d.file_number = static_cast<int16_t>(k % (names.empty() ? 1 : names.size()));
    descriptors.push_back(d);
  }
  return sys::MakeAltKeyList(descriptors, names);
}

class AdjustTest : public ProgramTest {
 public:
  void HeadFile(const std::vector<std::string>& names, int16_t type = 3, int keys = 1) {
    fake.files[kHead] = {type, 0, ListOf(names, keys)};
  }
  void RawHeadFile(std::vector<uint8_t> bytes) { fake.files[kHead] = {3, 0, std::move(bytes)}; }

  int16_t Adjust(const char* location, int16_t locationlen = -1,
                 std::optional<int16_t> listonly = std::nullopt) {
    if (location != nullptr && locationlen < 0) {
      locationlen = static_cast<int16_t>(std::strlen(location));
    }
    status = 99;
    return ADJUSTALTERNATEKEYFILES(kHead, static_cast<int16_t>(std::strlen(kHead)), location,
                                   location ? locationlen : 0, &status, listonly, &changes);
  }

  int16_t status = 99;
  AltFileNameChanges changes{};
};

struct RenameCase {
  const char* label;
  std::vector<std::string> names;
  const char* location;  // nullptr: none given
  std::vector<std::string> expected;  // empty: the label is not written
};

const RenameCase kRenameCases[] = {
    {"already right", {"$DATA2.SALES.A1", "$DATA2.SALES.A2"}, "$DATA2.SALES", {}},
    {"one of three elsewhere",
     {"$DATA2.SALES.A1", "$OLD.SALES.A2", "$DATA2.SALES.A3"},
     "$DATA2.SALES",
     {"$DATA2.SALES.A1", "$DATA2.SALES.A2", "$DATA2.SALES.A3"}},
    {"longer location", {"$D.S.A1"}, "$DATA2.SALESNEW", {"$DATA2.SALESNEW.A1"}},
    {"shorter location", {"$DATAOLD.SALESOLD.LONGNAME"}, "$D.S", {"$D.S.LONGNAME"}},
    {"no location: the head file's own", {"$OLD.X.A1"}, nullptr, {"$DATA.SALES.A1"}},
    {"own location already right", {"$DATA.SALES.A1"}, nullptr, {}},
    {"volume only: subvolume from the process", {"$OLD.X.A1"}, "$DATA2", {"$DATA2.USER.A1"}},
    {"node part dropped", {"\\OLD.$OLD.X.A1"}, "$DATA2.SALES", {"$DATA2.SALES.A1"}},
    {"node part given", {"$OLD.X.A1"}, "\\NODE.$DATA2.SALES", {"\\NODE.$DATA2.SALES.A1"}},
};

TEST_F(AdjustTest, RenamesEveryNameToTheLocation) {
  for (const RenameCase& c : kRenameCases) {
    SCOPED_TRACE(c.label);
    fake.alterlist_values.clear();
    HeadFile(c.names, 3, 2);
    EXPECT_EQ(Adjust(c.location), 0);
    if (c.expected.empty()) {
      EXPECT_EQ(status, 0);
      EXPECT_TRUE(fake.alterlist_values.empty());
    } else {
      EXPECT_EQ(status, 1);
      ASSERT_EQ(fake.alterlist_values.size(), 1u);
      // Descriptors and counts exactly as read; only lengths and names new.
      EXPECT_EQ(fake.alterlist_values[0], ListOf(c.expected, 2));
    }
  }
}

TEST_F(AdjustTest, LocationLengthZeroMeansTheHeadFilesOwn) {
  HeadFile({"$OLD.X.A1"});
  EXPECT_EQ(Adjust("$ELSE.WHERE", 0), 0);
  ASSERT_EQ(fake.alterlist_values.size(), 1u);
  EXPECT_EQ(fake.alterlist_values[0], ListOf({"$DATA.SALES.A1"}));
}

TEST_F(AdjustTest, MakesExactlyTheCallsOfOneAdjustment) {
  HeadFile({"$OLD.SALES.A1"});
  ASSERT_EQ(Adjust("$DATA2.SALES"), 0);
  const std::vector<uint8_t> expected = ListOf({"$DATA2.SALES.A1"});
  const std::string values(expected.begin(), expected.end());
  std::string shown;
  for (unsigned char c : values) {
    static const char kHex[] = "0123456789ABCDEF";
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 15];
    }
  }
  const std::vector<std::string> calls = {
      "FILE_GETINFOBYNAME_(filename=\"$DATA.SALES.ORDERS\", length=18, typeinfo)",
      "FILE_GETINFOLISTBYNAME_(filename=\"$DATA.SALES.ORDERS\", length=18, "
      "itemlist={100,101,102,103,104}, numberitems=5, result, result_max=10000, result_length, "
      "error_item)",
      "FILENAME_EDIT_(filename=\"$OLD.SALES.A1\", maxlen=36, filename_length, "
      "piece=\"$DATA2.SALES\", piece_length=12, level=1, options=2)",
      "FILE_ALTERLIST_(filename=\"$DATA.SALES.ORDERS\", length=18, "
      "itemlist={100,101,102,103,104}, numberitems=5, values=\"" + shown + "\", valueslen=" +
          std::to_string(values.size()) + ", error_item)",
  };
  EXPECT_EQ(fake.calls, calls);
}

TEST_F(AdjustTest, WithoutLocationDecomposesTheHeadFileName) {
  HeadFile({"$OLD.SALES.A1"});
  ASSERT_EQ(Adjust(nullptr), 0);
  const std::vector<std::string> decompose = fake.CallsTo("FILENAME_DECOMPOSE_");
  ASSERT_EQ(decompose.size(), 1u);
  EXPECT_EQ(decompose[0],
            "FILENAME_DECOMPOSE_(filename=\"$DATA.SALES.ORDERS\", length=18, piece, maxlen=36, "
            "piece_length, level=1, options=2)");
}

TEST_F(AdjustTest, OnlyTheFirst36BytesOfALocationFormThePiece) {
  HeadFile({"$OLD.SALES.A1"});
  const std::string location(40, 'X');
  Adjust(location.c_str());
  const std::vector<std::string> edits = fake.CallsTo("FILENAME_EDIT_");
  ASSERT_EQ(edits.size(), 1u);
  EXPECT_NE(edits[0].find("piece=\"" + std::string(36, 'X') + "\", piece_length=36"),
            std::string::npos)
      << edits[0];
  // An unusable piece leaves every name as it was: nothing is written.
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(fake.alterlist_values.empty());
}

struct OutcomeCase {
  const char* label;
  std::function<void(AdjustTest&)> arrange;
  int16_t result;
  int16_t status;
  bool writes;
};

TEST_F(AdjustTest, FailureTable) {
  const OutcomeCase cases[] = {
      {"file type 0", [](AdjustTest& t) { t.HeadFile({"$OLD.S.A"}, 0); }, 0, -1, false},
      {"no such file", [](AdjustTest&) {}, 11, -1, false},
      {"getinfo error",
       [](AdjustTest& t) {
         t.HeadFile({"$OLD.S.A"});
         t.fake.ScriptResult("FILE_GETINFOBYNAME_", 13);
       },
       13, -1, false},
      {"no alternate keys (N = 0)",
       [](AdjustTest& t) { t.fake.files[kHead] = {3, 0, sys::MakeAltKeyList({}, {})}; }, 0, -1,
       false},
      {"no alternate-key files (M = 0)", [](AdjustTest& t) { t.HeadFile({}); }, 0, 0, false},
      {"read error 45",
       [](AdjustTest& t) {
         t.HeadFile({"$OLD.S.A"});
         t.fake.ScriptResult("FILE_GETINFOLISTBYNAME_", 45);
       },
       45, 0, false},
      {"read warning 2 goes on",
       [](AdjustTest& t) {
         t.HeadFile({"$OLD.S.A"});
         t.fake.ScriptResult("FILE_GETINFOLISTBYNAME_", 2);
       },
       0, 1, true},
      {"write error 0",
       [](AdjustTest& t) {
         t.HeadFile({"$OLD.S.A"});
         t.fake.ScriptResult("FILE_ALTERLIST_", 0);
       },
       0, 1, true},
      {"write warning 2",
       [](AdjustTest& t) {
         t.HeadFile({"$OLD.S.A"});
         t.fake.ScriptResult("FILE_ALTERLIST_", 2);
       },
       0, 1, true},
      {"write error 48",
       [](AdjustTest& t) {
         t.HeadFile({"$OLD.S.A"});
         t.fake.ScriptResult("FILE_ALTERLIST_", 48);
       },
       48, 1, true},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.label);
    fake.files.clear();
    fake.alterlist_values.clear();
    c.arrange(*this);
    EXPECT_EQ(Adjust("$DATA2.SALES"), c.result);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(fake.alterlist_values.size(), c.writes ? 1u : 0u);
  }
}

TEST_F(AdjustTest, FileTypeZeroMakesNoFurtherCalls) {
  HeadFile({"$OLD.S.A"}, 0);
  Adjust("$DATA2.SALES");
  ASSERT_EQ(fake.calls.size(), 1u);
  EXPECT_EQ(fake.CallsTo("FILE_GETINFOBYNAME_").size(), 1u);
}

TEST_F(AdjustTest, DecomposeErrorLeavesStatusUnwritten) {
  HeadFile({"$OLD.S.A"});
  fake.ScriptResult("FILENAME_DECOMPOSE_", 13);
  EXPECT_EQ(Adjust(nullptr), 13);
  EXPECT_EQ(status, 99);
  EXPECT_TRUE(fake.alterlist_values.empty());
}

// Lists whose counts and lengths do not fit are refused without a write and
// without a read outside the buffers (the sanitizer build checks the
// latter).
TEST_F(AdjustTest, DamagedListsAreRefused) {
  auto words = [](std::vector<int16_t> w) {
    std::vector<uint8_t> out(w.size() * 2);
    std::memcpy(out.data(), w.data(), out.size());
    return out;
  };
  std::vector<std::string> many(257, "$OLD.S.A");
  std::vector<uint8_t> good = ListOf({"$OLD.SALES.A1", "$OLD.SALES.A2"});
  struct Damage {
    const char* label;
    std::vector<uint8_t> bytes;
  };
  std::vector<Damage> damages = {
      {"more than 256 names", ListOf(many)},
      {"a name longer than 36 bytes", ListOf({"$OLD.SALES." + std::string(30, 'A')})},
      {"negative N", words({-1, 0})},
      {"N beyond the list", words({50, 0, 0})},
      {"M beyond the list", words({1, 0, 0, 0, 0, 0, 0, 9, 5})},
      {"negative M", words({1, 0, 0, 0, 0, 0, 0, -3})},
      {"negative name length", words({1, 0, 0, 0, 0, 0, 0, 1, -4})},
      {"empty list", {}},
      {"one byte", {1}},
  };
  // Bytes after the last name: writing the list back would drop them.
  for (const std::string tail : {"J", "JUNK"}) {
    std::vector<uint8_t> longer = good;
    longer.insert(longer.end(), tail.begin(), tail.end());
    damages.push_back({"bytes after the names", longer});
  }
  // Every truncation of a good list that cuts into its names.
  for (size_t cut = good.size() - 1; cut > 2; --cut) {
    damages.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.begin() + cut)});
  }
  for (const Damage& d : damages) {
    SCOPED_TRACE(std::string(d.label) + " (" + std::to_string(d.bytes.size()) + " bytes)");
    fake.alterlist_values.clear();
    RawHeadFile(d.bytes);
    EXPECT_EQ(Adjust("$DATA2.SALES"), kErrorDamagedLabel);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fake.alterlist_values.empty());
  }
}

TEST_F(AdjustTest, ListOnlyPlansButNeverWrites) {
  HeadFile({"$DATA2.SALES.A1", "$OLD.SALES.A2"});
  EXPECT_EQ(Adjust("$DATA2.SALES", -1, -1), 0);
  EXPECT_EQ(status, 2);
  EXPECT_TRUE(fake.CallsTo("FILE_ALTERLIST_").empty());
  ASSERT_EQ(changes.count, 1);
  EXPECT_EQ(std::string(changes.change[0].oldname, changes.change[0].oldlen), "$OLD.SALES.A2");
  EXPECT_EQ(std::string(changes.change[0].newname, changes.change[0].newlen), "$DATA2.SALES.A2");

  HeadFile({"$DATA2.SALES.A1"});
  EXPECT_EQ(Adjust("$DATA2.SALES", -1, -1), 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(changes.count, 0);
}

}  // namespace
}  // namespace keymend
