#include "nsk/search.h"

#include <algorithm>
#include <cstring>

#include "tests/nsk/store_fixture.h"

namespace nsk {
namespace {

class SearchTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    searches_ = std::make_unique<FileSearches>(catalog_.get(), &rules_);
  }

  int16_t Start(const char* pattern, int16_t* id, std::optional<int16_t> devicetype = 3) {
    return searches_->Start(id, pattern,
                            pattern ? std::optional<int16_t>(std::strlen(pattern)) : std::nullopt,
                            {}, devicetype, {}, {}, nullptr, {});
  }

  // Every name the search delivers, then the 1 that ends it.
  std::vector<std::string> All(const char* pattern, std::optional<int16_t> devicetype = 3) {
    int16_t id = 0;
    std::vector<std::string> names;
    const int16_t e = Start(pattern, &id, devicetype);
    EXPECT_EQ(0, e) << (pattern ? pattern : "(none)");
    if (e != 0) return names;
    char name[36];
    int16_t len = 0;
    int16_t result;
    while ((result = searches_->Next(id, name, 36, &len, nullptr, {})) == 0) {
      names.emplace_back(name, len);
    }
    EXPECT_EQ(1, result) << pattern;
    EXPECT_EQ(1, searches_->Next(id, name, 36, &len, nullptr, {})) << "stays at the end";
    EXPECT_EQ(0, searches_->Finish(id));
    return names;
  }

  const NameRules rules_{NameDefaults{"\\TEST", "$D1", "S"}};
  std::unique_ptr<FileSearches> searches_;
};

using Names = std::vector<std::string>;

TEST_F(SearchTest, PatternsPerPartInOrder) {
  for (const char* n : {"$D2.S.F", "$D10.S.F", "$D1.S.F12", "$D1.S.F", "$D1.S.F1", "$D1.S.FA",
                        "$D1.S.G", "$D1.T.F", "$D1.S.ABCDEFGH", "$D1.SS.F"}) {
    MakeFile(n);
  }
  struct Case {
    const char* pattern;
    Names names;
  } cases[] = {
      {"$*.*.*",
       {"$D1.S.ABCDEFGH", "$D1.S.F", "$D1.S.F1", "$D1.S.F12", "$D1.S.FA", "$D1.S.G", "$D1.SS.F",
        "$D1.T.F", "$D10.S.F", "$D2.S.F"}},
      {"*", {"$D1.S.ABCDEFGH", "$D1.S.F", "$D1.S.F1", "$D1.S.F12", "$D1.S.FA", "$D1.S.G"}},
      {"$D1.S.F*", {"$D1.S.F", "$D1.S.F1", "$D1.S.F12", "$D1.S.FA"}},  // * matches nothing too
      {"$D1.S.*H", {"$D1.S.ABCDEFGH"}},                                // * up to 8
      {"$D1.S.F?", {"$D1.S.F1", "$D1.S.FA"}},
      {"$D1.S.F'", {"$D1.S.F1", "$D1.S.FA"}},  // one character: the caller tells letters apart
      {"$D1.S.F~", {"$D1.S.F1", "$D1.S.FA"}},
      {"$D1.S.F??", {"$D1.S.F12"}},
      {"$D?.S.F", {"$D1.S.F", "$D2.S.F"}},
      {"$D*.S.F", {"$D1.S.F", "$D10.S.F", "$D2.S.F"}},
      {"$D1.?.F", {"$D1.S.F", "$D1.T.F"}},
      {"$d1.s.f", {"$D1.S.F"}},
      {"f1", {"$D1.S.F1"}},
      {"t.*", {"$D1.T.F"}},
      {"$D1.SS", {"$D1.SS.F"}},  // subvolume pattern: its files
      {"$D2", {"$D2.S.F"}},      // volume pattern: its files
      {"$D1.S.NONE*", {}},
      {"$NOVOL.*.*", {}},
      {"\\TEST.$D1.T.*", {"\\TEST.$D1.T.F"}},
      {"\\t*.$D2.*.*", {"\\TEST.$D2.S.F"}},
      {"\\?EST.$D2.*.*", {"\\TEST.$D2.S.F"}},
      {"$TERM.#HOME", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.names, All(c.pattern)) << c.pattern;
  EXPECT_EQ(All("$*.*.*"), All(nullptr)) << "no pattern: every file";
  EXPECT_EQ(All("$*.*.*"), All("$*.*.*", std::nullopt)) << "devicetype absent";
  EXPECT_EQ(Names{}, All("$*.*.*", 5)) << "devicetype of no disk";
}

TEST_F(SearchTest, StartErrors) {
  struct Error {
    const char* pattern;
    int16_t error;
  } errors[] = {
      {"\\FAR.$D1.*.*", 14}, {"\\X*.$D1.*.*", 14}, {"$D1.S.F.G", 13},       {"$1.*.*", 13},
      {"$D1..*", 13},        {"\\TEST", 13},       {"$D1.S.ABCDEFGHI", 13}, {"$D1.S.{A}", 13},
  };
  for (const Error& e : errors) {
    int16_t id = -5;
    EXPECT_EQ(e.error, Start(e.pattern, &id)) << e.pattern;
    EXPECT_EQ(-5, id) << e.pattern;
  }
  EXPECT_EQ(29, searches_->Start(nullptr, "*", 1, {}, {}, {}, {}, nullptr, {}));
  int16_t id = -5;
  EXPECT_EQ(29, searches_->Start(&id, "*", {}, {}, {}, {}, {}, nullptr, {}));
  EXPECT_EQ(0, searches_->open_searches());
}

TEST_F(SearchTest, SixteenOpenSearchesAtMost) {
  std::vector<int16_t> ids;
  for (int i = 0; i < FileSearches::kMaxSearches; ++i) {
    int16_t id = 0;
    ASSERT_EQ(0, Start("*", &id)) << i;
    EXPECT_TRUE(std::find(ids.begin(), ids.end(), id) == ids.end()) << "ids differ";
    ids.push_back(id);
  }
  int16_t id = -5;
  EXPECT_EQ(34, Start("*", &id));
  EXPECT_EQ(-5, id);
  ASSERT_EQ(0, searches_->Finish(ids[3]));
  EXPECT_EQ(0, Start("*", &id));
  EXPECT_NE(ids[3], id) << "a finished id is not handed out again at once";
  char name[36];
  int16_t len;
  EXPECT_EQ(590, searches_->Next(ids[3], name, 36, &len, nullptr, {}));
  EXPECT_EQ(590, searches_->Finish(ids[3]));
  EXPECT_EQ(590, searches_->Next(0, name, 36, &len, nullptr, {}));
}

TEST_F(SearchTest, NameBufferAndEntityInfo) {
  MakeFile("$D1.S.ORDERS", 3, "", "SUPER.SUPER");
  MakeFile("$D1.S.TEXT", 0);
  int16_t id = 0;
  ASSERT_EQ(0, Start("\\TEST.$D1.S.*", &id));
  char name[36] = "sentinel";
  int16_t len = -7;
  EXPECT_EQ(563, searches_->Next(id, name, 17, &len, nullptr, {}));  // needs 18
  EXPECT_STREQ("sentinel", name);
  EXPECT_EQ(-7, len);
  EXPECT_EQ(29, searches_->Next(id, name, {}, &len, nullptr, {}));
  int16_t info[5] = {};
  ASSERT_EQ(0, searches_->Next(id, name, 36, &len, info, {}));
  EXPECT_EQ("\\TEST.$D1.S.TEXT", std::string(name, len));  // ORDERS was passed over
  EXPECT_EQ(3, info[0]);
  EXPECT_EQ(0, info[3]);
  EXPECT_EQ(1, searches_->Next(id, nullptr, {}, &len, nullptr, {}));
}

TEST_F(SearchTest, StartAfter) {
  for (const char* n : {"$D1.S.A", "$D1.S.B", "$D1.S.C"}) MakeFile(n);
  int16_t id = 0;
  ASSERT_EQ(0, searches_->Start(&id, "*", 1, {}, 3, {}, {}, "b", 1));
  char name[36];
  int16_t len = 0;
  ASSERT_EQ(0, searches_->Next(id, name, 36, &len, nullptr, {}));
  EXPECT_EQ("$D1.S.C", std::string(name, len));
  EXPECT_EQ(1, searches_->Next(id, name, 36, &len, nullptr, {}));
}

// Writers go on while a search runs; it never delivers a name twice, never
// goes backwards, and delivers every name that stayed in the catalog.
TEST_F(SearchTest, CreateAndPurgeDuringASearch) {
  auto file = [](int i) {
    char n[24];
    std::snprintf(n, sizeof n, "$D1.S.F%03d", i);
    return std::string(n);
  };
  for (int i = 0; i < 200; i += 2) MakeFile(file(i));
  int16_t id = 0;
  ASSERT_EQ(0, Start("$D1.S.*", &id));
  Names delivered;
  char name[36];
  int16_t len = 0;
  int16_t result;
  int step = 0;
  while ((result = searches_->Next(id, name, 36, &len, nullptr, {})) == 0) {
    delivered.emplace_back(name, len);
    ++step;
    if (step % 5 == 0) {
      // A name just delivered goes and comes back; one behind and one far
      // ahead are created; one far ahead is purged.
      ASSERT_TRUE(catalog_->PurgeFile(delivered.back()).ok());
      MakeFile(delivered.back());
      const int at = 2 * step;
      if (at > 3) MakeFile(file(at - 3));
      if (at + 101 < 200) MakeFile(file(at + 101));
      if (at + 120 < 200) catalog_->PurgeFile(file(at + 120));
    }
  }
  EXPECT_EQ(1, result);
  for (size_t i = 1; i < delivered.size(); ++i) {
    EXPECT_LT(delivered[i - 1], delivered[i]) << "at " << i;
  }
  Names now;
  catalog_->ForEachFile("$D1.S.*", [&now](const FileEntry& f) {
    now.push_back(f.name);
    return true;
  });
  for (int i = 0; i < 200; i += 2) {
    const std::string n = file(i);
    const bool kept = std::find(now.begin(), now.end(), n) != now.end();
    const bool seen = std::find(delivered.begin(), delivered.end(), n) != delivered.end();
    EXPECT_TRUE(!kept || seen) << n;
  }
}

TEST_F(SearchTest, ManyPages) {
  Names made;
  for (int i = 0; i < 3 * FileSearches::kPage + 5; ++i) {
    made.push_back("$D2.P.F" + std::to_string(1000 + i));
    MakeFile(made.back());
  }
  EXPECT_EQ(made, All("$D2.*.*"));
  EXPECT_EQ(made, All("$D*.P.F1*"));
}

}  // namespace
}  // namespace nsk
