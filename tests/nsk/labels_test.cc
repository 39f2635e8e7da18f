#include "nsk/labels.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <cstring>

#include "nsk/fault.h"
#include "tests/nsk/store_fixture.h"

namespace nsk {
namespace {

const int16_t kItems[5] = {100, 101, 102, 103, 104};

User As(const char* text) {
  User user;
  EXPECT_TRUE(ParseUser(text, &user)) << text;
  return user;
}

class LabelsTest : public StoreTest {
 protected:
  Labels LabelsOf(const char* user) { return Labels(catalog_.get(), &rules_, As(user)); }

  // Reads items 100 to 104 of `name` through FILE_GETINFOLISTBYNAME_.
  int16_t Read(Labels& labels, const std::string& name, std::string* list,
               int16_t result_max = 10000) {
    std::vector<int16_t> buffer(5000, 0x5a5a);
    int16_t length = -7, item = -7;
    const int16_t e =
        labels.GetInfoListByName(name.data(), static_cast<int16_t>(name.size()), kItems, 5,
                                 buffer.data(), result_max, &length, &item);
    if (e == 0) list->assign(reinterpret_cast<const char*>(buffer.data()), length);
    return e;
  }

  int16_t Alter(Labels& labels, const std::string& name, const std::string& list,
                const int16_t* items = kItems, int16_t count = 5) {
    std::vector<int16_t> buffer(list.size() / 2 + 1);
    std::memcpy(buffer.data(), list.data(), list.size());
    int16_t item = -7;
    return labels.AlterList(name.data(), static_cast<int16_t>(name.size()), items, count,
                            buffer.data(), static_cast<int16_t>(list.size()), {}, &item);
  }

  const NameRules rules_{NameDefaults{"\\TEST", "$D1", "S"}};
};

TEST(UserTest, ParseAndAccess) {
  User u;
  EXPECT_TRUE(ParseUser("sales.joe", &u));
  EXPECT_EQ("SALES.JOE", u.Text());
  for (const char* bad : {"", "SALES", "SALES.", ".JOE", "1S.JOE", "S.J.K", "SALESMANX.JOE"}) {
    EXPECT_FALSE(ParseUser(bad, &u)) << bad;
  }
  struct Case {
    const char* user;
    const char* security;  // of a file owned by SALES.JOE
    bool may_write;
  } cases[] = {
      {"SALES.JOE", "AAAA", true},  {"OTHER.ANN", "AAAA", true},   {"SALES.ANN", "AGAA", true},
      {"OTHER.ANN", "AGAA", false}, {"SALES.JOE", "AOAA", true},   {"SALES.ANN", "AOAA", false},
      {"SALES.JOE", "A-AA", false}, {"SUPER.SUPER", "A-AA", true}, {"SUPER.ANN", "AOAA", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.may_write, MayAccess(As(c.user), "SALES.JOE", c.security, Access::kWrite))
        << c.user << " " << c.security;
  }
  EXPECT_FALSE(MayAccess(As("SALES.JOE"), "SALES.JOE", "AA", Access::kWrite));
}

TEST(UserTest, ProcessUserFromTheEnvironment) {
  User u;
  unsetenv("NSK_USER");
  ASSERT_TRUE(ProcessUser(&u).ok());
  EXPECT_TRUE(u.IsSuper());
  setenv("NSK_USER", "sales.joe", 1);
  ASSERT_TRUE(ProcessUser(&u).ok());
  EXPECT_EQ("SALES.JOE", u.Text());
  setenv("NSK_USER", "nobody", 1);
  EXPECT_EQ(590, ProcessUser(&u).code);
  unsetenv("NSK_USER");
}

TEST_F(LabelsTest, GetInfoByName) {
  MakeFile("$D1.S.HEAD", 3);
  MakeFile("$D1.S.LOG", 2);
  Labels labels = LabelsOf("SALES.JOE");  // reading needs no access
  struct Case {
    const char* name;
    int16_t error;
    int16_t type;
  } cases[] = {
      {"$D1.S.HEAD", 0, 3}, {"head", 0, 3},    {"\\TEST.$D1.S.LOG", 0, 2},  {"$D1.S.NONE", 11, 0},
      {"$D1.S.HE*", 13, 0}, {"$D1..X", 13, 0}, {"\\FAR.$D1.S.HEAD", 14, 0},
  };
  for (const Case& c : cases) {
    int16_t info[5] = {-1, -1, -1, -1, -1};
    EXPECT_EQ(c.error, labels.GetInfoByName(c.name, static_cast<int16_t>(std::strlen(c.name)), info,
                                            nullptr, {}, {}))
        << c.name;
    if (c.error == 0) {
      EXPECT_EQ(3, info[0]) << c.name;
      EXPECT_EQ(0, info[1]) << c.name;
      EXPECT_EQ(c.type, info[3]) << c.name;
    } else {
      EXPECT_EQ(-1, info[0]) << c.name;
    }
  }
}

TEST_F(LabelsTest, ListsReadBackExactlyAsWritten) {
  const std::string sane = AltList(2, {"$D1.S.ALT1", "\\TEST.$D2.T.ALT2"});
  std::string damaged = AltList(1, {"$D1.S.ALT1"});
  damaged[2 + 12 + 2] = 40;  // a name length far past the end
  const std::string cases[] = {
      sane,
      damaged,
      AltList(300, {}),                // more keys than any buffer
      std::string("\xff\xff", 2),      // N = -1 and nothing else
      std::string("\x01\x00\x02", 3),  // cut inside the descriptors
      AltList(0, {}),
  };
  Labels labels = LabelsOf("SALES.JOE");
  int i = 0;
  for (const std::string& stored : cases) {
    const std::string name = "$D1.S.F" + std::to_string(i++);
    MakeFile(name, 3, stored);
    std::string read;
    ASSERT_EQ(0, Read(labels, name, &read)) << name;
    EXPECT_EQ(stored, read) << name;
  }
  MakeFile("$D1.S.EMPTY", 0, "");
  std::string read;
  ASSERT_EQ(0, Read(labels, "$D1.S.EMPTY", &read));
  EXPECT_EQ(std::string(4, '\0'), read) << "no stored items: N = 0, M = 0";
}

TEST_F(LabelsTest, SingleItemsAndErrors) {
  MakeFile("$D1.S.HEAD", 3, AltList(1, {"$D1.S.ALT"}));
  Labels labels = LabelsOf("SUPER.SUPER");
  const int16_t m_only[] = {102, 104};
  int16_t buffer[64];
  int16_t length = 0, item = -7;
  ASSERT_EQ(0, labels.GetInfoListByName("HEAD", 4, m_only, 2, buffer, 128, &length, &item));
  EXPECT_EQ(std::string("\x01\x00$D1.S.ALT", 11),
            std::string(reinterpret_cast<char*>(buffer), length));

  const int16_t bad[] = {100, 99};
  EXPECT_EQ(590, labels.GetInfoListByName("HEAD", 4, bad, 2, buffer, 128, &length, &item));
  EXPECT_EQ(1, item);
  EXPECT_EQ(11, labels.GetInfoListByName("NONE", 4, kItems, 5, buffer, 128, &length, &item));
  EXPECT_EQ(13, labels.GetInfoListByName("H*", 2, kItems, 5, buffer, 128, &length, &item));

  // Too small a buffer: nothing written, never a cut list.
  std::string read = "untouched";
  length = -7;
  const int16_t needed = static_cast<int16_t>(AltList(1, {"$D1.S.ALT"}).size());
  EXPECT_EQ(563, Read(labels, "$D1.S.HEAD", &read, needed - 1));
  EXPECT_EQ("untouched", read);
  EXPECT_EQ(0, Read(labels, "$D1.S.HEAD", &read, needed));
}

TEST_F(LabelsTest, AlterListWritesAllFiveItems) {
  MakeFile("$D1.S.HEAD", 3, AltList(2, {"$OLD.S.ALT1", "$OLD.S.ALT2"}), "SALES.JOE", "AOAA");
  Labels labels = LabelsOf("SALES.JOE");
  const std::string moved = AltList(2, {"$D1.S.ALT1", "\\TEST.$NEWVOL.NEWSUB.ALT2"});
  ASSERT_EQ(0, Alter(labels, "head", moved));
  EXPECT_EQ(moved, Label("$D1.S.HEAD"));
  std::string read;
  ASSERT_EQ(0, Read(labels, "$D1.S.HEAD", &read));
  EXPECT_EQ(moved, read);
  // The change is durable: a new connection sees it.
  catalog_.reset();
  ASSERT_TRUE(Catalog::Open(root_, {}, &catalog_).ok());
  EXPECT_EQ(moved, Label("$D1.S.HEAD"));
}

// Every refusal leaves the stored label byte for byte what it was.
TEST_F(LabelsTest, AlterListRefusals) {
  const std::string original = AltList(1, {"$OLD.S.ALT"});
  MakeFile("$D1.S.HEAD", 3, original, "SALES.JOE", "AOAA");
  std::string long_count = AltList(1, {"$D1.S.ALT"});
  long_count[2 + 12] = 2;  // M = 2 with one name
  std::string short_name = AltList(1, {"$D1.S.ALT"});
  short_name[2 + 12 + 2] = 8;  // the name's length word says 8, 9 bytes follow
  const int16_t wrong_order[] = {100, 101, 103, 102, 104};
  struct Case {
    const char* what;
    const char* user;
    std::string name;
    std::string list;
    const int16_t* items;
    int16_t count;
    int16_t error;
  } cases[] = {
      {"items out of order", "SALES.JOE", "$D1.S.HEAD", original, wrong_order, 5, 590},
      {"four items", "SALES.JOE", "$D1.S.HEAD", original, kItems, 4, 590},
      {"M too large", "SALES.JOE", "$D1.S.HEAD", long_count, kItems, 5, 21},
      {"name length off", "SALES.JOE", "$D1.S.HEAD", short_name, kItems, 5, 21},
      {"N past the end", "SALES.JOE", "$D1.S.HEAD", AltList(1, {}).substr(0, 8), kItems, 5, 21},
      {"empty list", "SALES.JOE", "$D1.S.HEAD", "", kItems, 5, 21},
      {"extra bytes", "SALES.JOE", "$D1.S.HEAD", AltList(1, {"$D1.S.ALT"}) + "X", kItems, 5, 21},
      {"partial name", "SALES.JOE", "$D1.S.HEAD", AltList(1, {"ALT"}), kItems, 5, 21},
      {"wild card", "SALES.JOE", "$D1.S.HEAD", AltList(1, {"$D1.S.AL*"}), kItems, 5, 21},
      {"device name", "SALES.JOE", "$D1.S.HEAD", AltList(1, {"$TERM.#HOME"}), kItems, 5, 21},
      {"36-byte name", "SALES.JOE", "$D1.S.HEAD",
       AltList(1, {"\\ABCDEFG.$ABCDEFG.ABCDEFGH.ABCDEFGHI"}), kItems, 5, 21},
      {"missing file", "SALES.JOE", "$D1.S.GONE", AltList(1, {"$D1.S.ALT"}), kItems, 5, 11},
      {"other user", "SALES.ANN", "$D1.S.HEAD", AltList(1, {"$D1.S.ALT"}), kItems, 5, 48},
      {"other node", "SALES.JOE", "\\FAR.$D1.S.HEAD", AltList(1, {"$D1.S.ALT"}), kItems, 5, 14},
  };
  for (const Case& c : cases) {
    Labels labels = LabelsOf(c.user);
    EXPECT_EQ(c.error, Alter(labels, c.name, c.list, c.items, c.count)) << c.what;
    EXPECT_EQ(original, Label("$D1.S.HEAD")) << c.what;
  }
}

TEST_F(LabelsTest, AlterListLockedOrFailingStoreChangesNothing) {
  const std::string original = AltList(1, {"$OLD.S.ALT"});
  const std::string moved = AltList(1, {"$D1.S.ALT"});
  MakeFile("$D1.S.HEAD", 3, original);
  Labels labels = LabelsOf("SUPER.SUPER");

  sqlite3* other = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(catalog_->path().c_str(), &other));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
  catalog_->SetBusyTimeout(20);
  EXPECT_EQ(40, Alter(labels, "$D1.S.HEAD", moved));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr));
  sqlite3_close(other);
  EXPECT_EQ(original, Label("$D1.S.HEAD"));

  FaultPlan plan;
  InstallFaultPlan(&plan);
  struct Case {
    const char* what;
    bool at_commit;
    int nth;
    FaultKind kind;
    int16_t error;
  } cases[] = {
      {"commit I/O error", true, 0, FaultKind::kIoError, 190},
      {"commit disk full", true, 0, FaultKind::kDiskFull, 45},
      {"commit busy", true, 0, FaultKind::kBusy, 40},
      {"begin busy", false, 1, FaultKind::kBusy, 40},
      {"read I/O error", false, 2, FaultKind::kIoError, 190},
      {"write disk full", false, 3, FaultKind::kDiskFull, 45},
  };
  for (const Case& c : cases) {
    if (c.at_commit) {
      plan.FailNextCommit(c.kind);
    } else {
      plan.FailNth(c.nth, c.kind);
    }
    EXPECT_EQ(c.error, Alter(labels, "$D1.S.HEAD", moved)) << c.what;
    plan.Clear();
    EXPECT_EQ(original, Label("$D1.S.HEAD")) << c.what;
  }
  InstallFaultPlan(nullptr);
  EXPECT_EQ(0, Alter(labels, "$D1.S.HEAD", moved));
  EXPECT_EQ(moved, Label("$D1.S.HEAD"));
}

}  // namespace
}  // namespace nsk
