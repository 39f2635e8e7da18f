#include "nsk/names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace nsk {
namespace {

const NameRules kRules(NameDefaults{"\\HOME", "$DATA", "USER"});

// Each helper returns the error and puts the result in *out ("" on error
// when nothing was written, since *out starts as the sentinel "<none>").
int16_t Resolve(const std::string& partial, std::string* out, const char* defaults = nullptr,
                int16_t maxlen = 64) {
  char buf[64];
  std::memset(buf, '#', sizeof buf);
  int16_t len = -7;
  const int16_t e =
      kRules.Resolve(partial.data(), static_cast<int16_t>(partial.size()), buf, maxlen, &len, {},
                     nullptr, {}, nullptr, {}, defaults,
                     defaults ? std::optional<int16_t>(std::strlen(defaults)) : std::nullopt);
  *out = len == -7 ? "<none>" : std::string(buf, len);
  if (len == -7 && buf[0] != '#') *out = "<written>";
  return e;
}

int16_t Decompose(const std::string& name, int16_t level, std::optional<int16_t> options,
                  std::string* out, int16_t maxlen = 64) {
  char buf[64];
  int16_t len = -7;
  const int16_t e = kRules.Decompose(name.data(), static_cast<int16_t>(name.size()), buf, maxlen,
                                     &len, level, options, {});
  *out = len == -7 ? "<none>" : std::string(buf, len);
  return e;
}

// Edits `name` in place with the piece at level 1, options 2 (unless
// given); *out is the name afterwards, as the buffer and length say.
int16_t Edit(const std::string& name, const std::string& piece, std::string* out, int16_t level = 1,
             std::optional<int16_t> options = 2, int16_t maxlen = 36) {
  char buf[64];
  std::memcpy(buf, name.data(), name.size());
  int16_t len = static_cast<int16_t>(name.size());
  const int16_t e = kRules.Edit(buf, maxlen, &len, piece.data(), static_cast<int16_t>(piece.size()),
                                level, options, {});
  *out = std::string(buf, len);
  return e;
}

TEST(NameRulesTest, SplitAcceptsLegalNames) {
  struct Case {
    const char* text;
    NameMode mode;
    const char* node;
    const char* volume;
    const char* subvolume;
    const char* file;
  } cases[] = {
      {"$DATA.SALES.ORDERS", NameMode::kExact, "", "$DATA", "SALES", "ORDERS"},
      {"\\n.$v.s.f", NameMode::kExact, "\\N", "$V", "S", "F"},
      {"\\ABCDEFG.$ABCDEFG.ABCDEFGH.ABCDEFGH", NameMode::kExact, "\\ABCDEFG", "$ABCDEFG",
       "ABCDEFGH", "ABCDEFGH"},  // 35 bytes, every part at its limit
      {"\\A1.$B2.C3.D4", NameMode::kExact, "\\A1", "$B2", "C3", "D4"},
      {"$TERM.#HOME", NameMode::kExact, "", "$TERM", "#HOME", ""},
      {"$V", NameMode::kExact, "", "$V", "", ""},
      {"\\N", NameMode::kExact, "\\N", "", "", ""},
      {"\\N.$V", NameMode::kExact, "\\N", "$V", "", ""},
      {"$V.S", NameMode::kExact, "", "$V", "S", ""},
      {"F", NameMode::kExact, "", "", "", "F"},
      {"s.f", NameMode::kExact, "", "", "S", "F"},
      {"$DATA*.SUB?.*", NameMode::kWild, "", "$DATA*", "SUB?", "*"},
      {"\\N*.$DATA-.SUB+.*", NameMode::kWild, "\\N*", "$DATA-", "SUB+", "*"},
      {"ABCDEFGH*", NameMode::kWild, "", "", "", "ABCDEFGH*"},  // "*" does not count
      {"'~?", NameMode::kWild, "", "", "", "'~?"},
      {"$*.*.*", NameMode::kWild, "", "$*", "*", "*"},
  };
  for (const Case& c : cases) {
    NameParts p;
    ASSERT_EQ(0, SplitName(c.text, static_cast<int16_t>(std::strlen(c.text)), c.mode, &p))
        << c.text;
    EXPECT_EQ(c.node, p.node) << c.text;
    EXPECT_EQ(c.volume, p.volume) << c.text;
    EXPECT_EQ(c.subvolume, p.subvolume) << c.text;
    EXPECT_EQ(c.file, p.file) << c.text;
  }
}

TEST(NameRulesTest, SplitRejectsIllegalNames) {
  struct Error {
    const char* text;
    NameMode mode;
  } errors[] = {
      {"", NameMode::kExact},
      {"\\ABCDEFGH.$V.S.F", NameMode::kExact},                      // node of 8
      {"$ABCDEFGH.S.F", NameMode::kExact},                          // volume of 8
      {"$V.ABCDEFGHI.F", NameMode::kExact},                         // subvolume of 9
      {"$V.S.ABCDEFGHI", NameMode::kExact},                         // file id of 9
      {"\\ABCDEFG.$ABCDEFG.ABCDEFGH.ABCDEFGHI", NameMode::kExact},  // 36 bytes
      {"$1V.S.F", NameMode::kExact},                                // digit first
      {"$V.1S.F", NameMode::kExact},
      {"$V.S.1F", NameMode::kExact},
      {"\\1N.$V.S.F", NameMode::kExact},
      {"$.S.F", NameMode::kExact},  // empty after $
      {"\\.$V", NameMode::kExact},
      {"$V..F", NameMode::kExact},  // empty part
      {"$V.S.", NameMode::kExact},
      {".$V.S", NameMode::kExact},
      {"$V.S.F.G", NameMode::kExact},  // too many parts
      {"A.B.C", NameMode::kExact},     // three plain parts
      {"\\N.S.F", NameMode::kExact},   // node without volume
      {"$V.#Q.F", NameMode::kExact},   // qualifier not last
      {"#HOME", NameMode::kExact},     // qualifier without volume
      {"$V.#1", NameMode::kExact},
      {"$V.S.F*", NameMode::kExact},  // wild card in exact mode
      {"$V.S-X.F", NameMode::kExact},
      {"$V.S.F G", NameMode::kExact},
      {"$V.S.ABCDEFGH?", NameMode::kWild},  // "?" counts
      {"$V.S.1*", NameMode::kWild},         // digit first, even with wild cards
      {"$V.S.A#", NameMode::kWild},
      {"$V.$W.F", NameMode::kWild},
  };
  for (const Error& e : errors) {
    NameParts p;
    p.file = "untouched";
    EXPECT_EQ(13, SplitName(e.text, static_cast<int16_t>(std::strlen(e.text)), e.mode, &p))
        << e.text;
    EXPECT_EQ("untouched", p.file) << e.text;
  }
}

TEST(NameRulesTest, OldFileNameToFileName) {
  struct Case {
    const char* fields;  // 24 bytes
    int16_t error;
    const char* name;
  } cases[] = {
      {"$DATA   USER    ORDERS  ", 0, "$DATA.USER.ORDERS"},
      {"$data   user    orders  ", 0, "$DATA.USER.ORDERS"},
      {"$DATA   USER    $TERM   ", 0, "$DATA.USER"},  // third field no file id: dropped
      {"$DATA   USER            ", 0, "$DATA.USER"},
      {"$TERM   #HOME           ", 0, "$TERM.#HOME"},
      {"$ABCDEFGABCDEFGHABCDEFGH", 0, "$ABCDEFG.ABCDEFGH.ABCDEFGH"},
      {"$TERM                   ", 0, "$TERM"},
      {"DATA    USER    ORDERS  ", 13, ""},  // no $
      {"$1      USER    ORDERS  ", 13, ""},
      {"$DA TA  USER    ORDERS  ", 13, ""},  // blank inside a field
      {"$DATA   1USER   ORDERS  ", 13, ""},
      {"$DATA   US*R    ORDERS  ", 13, ""},
      {"$DATA           ORDERS  ", 13, ""},  // file id without subvolume
      {"        USER    ORDERS  ", 13, ""},
  };
  for (const Case& c : cases) {
    int16_t words[12];
    std::memcpy(words, c.fields, 24);
    char buf[40] = "sentinel";
    int16_t len = -7;
    EXPECT_EQ(c.error, kRules.OldFileNameToFileName(words, buf, 40, &len)) << c.fields;
    if (c.error == 0) {
      EXPECT_EQ(c.name, std::string(buf, len)) << c.fields;
    } else {
      EXPECT_EQ(-7, len) << c.fields;
      EXPECT_STREQ("sentinel", buf) << c.fields;
    }
  }
  int16_t words[12];
  std::memcpy(words, "$DATA   USER    ORDERS  ", 24);
  char buf[40];
  int16_t len = -7;
  EXPECT_EQ(563, kRules.OldFileNameToFileName(words, buf, 16, &len));
  EXPECT_EQ(-7, len);
  EXPECT_EQ(0, kRules.OldFileNameToFileName(words, buf, 17, &len));
}

TEST(NameRulesTest, ResolveCompletesFromTheLeft) {
  struct Case {
    const char* partial;
    const char* defaults;  // nullptr: not passed
    const char* full;
  } cases[] = {
      {"f", nullptr, "$DATA.USER.F"},
      {"s.f", nullptr, "$DATA.S.F"},
      {"$v.s.f", nullptr, "$V.S.F"},
      {"\\n.$v.s.f", nullptr, "\\N.$V.S.F"},
      {"$TERM.#HOME", nullptr, "$TERM.#HOME"},
      {"*", nullptr, "$DATA.USER.*"},
      {"ORD*", "$DATA2.SALES", "$DATA2.SALES.ORD*"},
      {"Test", "$DATA2.SALES", "$DATA2.SALES.TEST"},
      {"Test", "$DATA2", "$DATA2.USER.TEST"},
      {"Test", "\\FAR", "\\FAR.$DATA.USER.TEST"},
      {"Test", "\\FAR.$D", "\\FAR.$D.USER.TEST"},
      {"Test", "\\FAR.$D.S", "\\FAR.$D.S.TEST"},
      {"x.Test", "\\FAR.$D.S", "\\FAR.$D.X.TEST"},
      {"$v.x.Test", "\\FAR.$D.S", "\\FAR.$V.X.TEST"},
      {"\\N.$v.x.Test", "\\FAR.$D.S", "\\N.$V.X.TEST"},
      {"Test", "", "$DATA.USER.TEST"},  // empty defaults count as not passed
      {"$DATA-.SUB+.'~*", nullptr, "$DATA-.SUB+.'~*"},
      {"{", nullptr, ""},
  };
  for (const Case& c : cases) {
    std::string out;
    const int16_t e = Resolve(c.partial, &out, c.defaults);
    if (*c.full == 0) {
      EXPECT_EQ(13, e) << c.partial;
      EXPECT_EQ("<none>", out) << c.partial;
    } else {
      EXPECT_EQ(0, e) << c.partial << " with " << (c.defaults ? c.defaults : "-");
      EXPECT_EQ(c.full, out) << c.partial << " with " << (c.defaults ? c.defaults : "-");
    }
  }
}

TEST(NameRulesTest, ResolveRejectsIllegalDefaultsAndWritesNothing) {
  const char* errors[] = {"$D.S.F", "S", "S.F", "$D.#Q", "\\1X", "$D*", "$D.S*", "\\N.S"};
  for (const char* defaults : errors) {
    std::string out;
    EXPECT_EQ(13, Resolve("Test", &out, defaults)) << defaults;
    EXPECT_EQ("<none>", out) << defaults;
  }
  std::string out;
  EXPECT_EQ(563, Resolve("ORDERS", &out, nullptr, 16));  // "$DATA.USER.ORDERS" is 17
  EXPECT_EQ("<none>", out);
  EXPECT_EQ(0, Resolve("ORDERS", &out, nullptr, 17));
}

TEST(NameRulesTest, ResolveNeverPassesOnBadProcessDefaults) {
  const NameRules broken(NameDefaults{"\\HOME", "DATA", "1USER"});
  char buf[36];
  int16_t len = -7;
  EXPECT_EQ(13, broken.Resolve("F", 1, buf, 36, &len, {}, nullptr, {}, nullptr, {}, nullptr, {}));
  EXPECT_EQ(-7, len);
  EXPECT_EQ(0,
            broken.Resolve("$V.S.F", 6, buf, 36, &len, {}, nullptr, {}, nullptr, {}, nullptr, {}));
}

TEST(NameRulesTest, ResolveInPlace) {
  char buf[36] = "sub.*";
  int16_t len = 5;
  ASSERT_EQ(0, kRules.Resolve(buf, len, buf, 36, &len, {}, nullptr, {}, nullptr, {}, nullptr, {}));
  EXPECT_EQ("$DATA.SUB.*", std::string(buf, len));
}

TEST(NameRulesTest, DecomposeEachLevel) {
  struct Case {
    const char* name;
    int16_t level;
    std::optional<int16_t> options;
    const char* piece;
  } cases[] = {
      {"\\N.$V.S.F", -1, {}, "\\N"},
      {"\\N.$V.S.F", 0, {}, "$V"},
      {"\\N.$V.S.F", 1, {}, "S"},
      {"\\N.$V.S.F", 2, {}, "F"},
      {"\\N.$V.S.F", -1, 1, "\\N.$V.S.F"},
      {"\\N.$V.S.F", 0, 1, "$V.S.F"},
      {"\\N.$V.S.F", 1, 1, "S.F"},
      {"\\N.$V.S.F", 2, 1, "F"},
      {"\\N.$V.S.F", -1, 2, "\\N"},
      {"\\N.$V.S.F", 0, 2, "\\N.$V"},
      {"\\N.$V.S.F", 1, 2, "\\N.$V.S"},
      {"\\N.$V.S.F", 2, 2, "\\N.$V.S.F"},
      {"$v.s.f", 1, 2, "$V.S"},
      {"$V.S.F", -1, {}, ""},
      {"$V.S.F", -1, 1, "$V.S.F"},
      {"$V.S.F", 0, 1, "$V.S.F"},
      {"$TERM.#HOME", 1, 2, "$TERM.#HOME"},
      {"$TERM.#HOME", 2, {}, ""},
      {"S.F", 1, {}, "S"},
      {"\\N.$DATA-.SUB+.*", 0, 1, "$DATA-.SUB+.*"},
      {"$DATA*.SUB?.F'~", 2, {}, "F'~"},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(0, Decompose(c.name, c.level, c.options, &out)) << c.name << " level " << c.level;
    EXPECT_EQ(c.piece, out) << c.name << " level " << c.level << " options "
                            << c.options.value_or(-1);
  }
}

TEST(NameRulesTest, DecomposeErrors) {
  struct Error {
    const char* name;
    int16_t level;
    std::optional<int16_t> options;
    int16_t maxlen;
    int16_t error;
  } errors[] = {
      {"$V.S.F.G", 0, {}, 36, 13}, {"", 0, {}, 36, 13},
      {"$V.S.F", 3, {}, 36, 590},  {"$V.S.F", -2, {}, 36, 590},
      {"$V.S.F", 0, 3, 36, 590},   {"$DATA.SALES.ORDERS", 1, 2, 10, 563},  // "$DATA.SALES" is 11
  };
  for (const Error& e : errors) {
    std::string out;
    EXPECT_EQ(e.error, Decompose(e.name, e.level, e.options, &out, e.maxlen)) << e.name;
    EXPECT_EQ("<none>", out) << e.name;
  }
}

TEST(NameRulesTest, DecomposeInPlace) {
  char buf[36];
  const std::string name = "\\N.$DATA.SALES.ORDERS";
  std::memcpy(buf, name.data(), name.size());
  int16_t len = static_cast<int16_t>(name.size());
  ASSERT_EQ(0, kRules.Decompose(buf, len, buf, 36, &len, 0, 1, {}));
  EXPECT_EQ("$DATA.SALES.ORDERS", std::string(buf, len));
  ASSERT_EQ(0, kRules.Decompose(buf, len, buf, 36, &len, 1, 2, {}));
  EXPECT_EQ("$DATA.SALES", std::string(buf, len));
}

TEST(NameRulesTest, EditReplacesTheLocation) {
  struct Case {
    const char* name;
    const char* piece;
    const char* result;
  } cases[] = {
      {"$DATA.SALES.ORDALT", "$DATA2.NEW", "$DATA2.NEW.ORDALT"},
      {"\\OLD.$DATA.SALES.ORDALT", "$DATA2.NEW", "$DATA2.NEW.ORDALT"},  // node replaced too
      {"$DATA.SALES.ORDALT", "\\FAR.$D.S", "\\FAR.$D.S.ORDALT"},
      {"$DATA.SALES.ORDALT", "$DATA2", "$DATA2.USER.ORDALT"},
      {"$DATA.SALES.ORDALT", "\\FAR", "\\FAR.$DATA.USER.ORDALT"},
      {"$DATA.SALES.ORDALT", "\\FAR.$D", "\\FAR.$D.USER.ORDALT"},
      {"$DATA.SALES.ORDALT", "SUB", "$DATA.SUB.ORDALT"},
      {"$data.sales.ordalt", "$data2.new", "$DATA2.NEW.ORDALT"},
      {"$DATA.SALES.ORDALT", "\\ABCDEFG.$ABCDEFG.ABCDEFGH",
       "\\ABCDEFG.$ABCDEFG.ABCDEFGH.ORDALT"},  // 33 bytes
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(0, Edit(c.name, c.piece, &out)) << c.name << " <- " << c.piece;
    EXPECT_EQ(c.result, out) << c.name << " <- " << c.piece;
  }
}

TEST(NameRulesTest, EditNeverMakesAnIllegalName) {
  struct Error {
    const char* name;
    const char* piece;
    int16_t maxlen;
    int16_t error;
  } errors[] = {
      {"$DATA.SALES.ORDALT", "$D.S.F", 36, 13},  // piece with a file id
      {"$DATA.SALES.ORDALT", "$TERM.#HOME", 36, 13},
      {"$DATA.SALES.ORDALT", "$D*.S", 36, 13},  // wild card
      {"$DATA.SALES.ORDALT", "$1.S", 36, 13},
      {"$DATA.SALES.ORDALT", "", 36, 13},
      {"$DATA.SALES.ORDALT", "$D..S", 36, 13},
      {"$DATA.SALES.ORDALT", "\\N.S", 36, 13},
      {"$DATA.SALES.ORD-LT", "$D.S", 36, 13},            // the name itself is illegal
      {"$DATA.SALES.ORDALT", "$DATA2.NEWSUB", 18, 563},  // "$DATA2.NEWSUB.ORDALT" is 20
  };
  for (const Error& e : errors) {
    std::string out;
    EXPECT_EQ(e.error, Edit(e.name, e.piece, &out, 1, 2, e.maxlen)) << e.piece;
    EXPECT_EQ(e.name, out) << e.piece;
  }
}

TEST(NameRulesTest, EditOtherLevels) {
  std::string out;
  EXPECT_EQ(0, Edit("$V.S.F", "G", &out, 2, {}));
  EXPECT_EQ("$V.S.G", out);
  EXPECT_EQ(0, Edit("$V.S.F", "$W", &out, 0, {}));
  EXPECT_EQ("$W.S.F", out);
  EXPECT_EQ(0, Edit("$V.S.F", "T.G", &out, 1, 1));
  EXPECT_EQ("$V.T.G", out);
  EXPECT_EQ(13, Edit("$V.S.F", "$W.T", &out, 2, {}));
  EXPECT_EQ("$V.S.F", out);
  EXPECT_EQ(590, Edit("$V.S.F", "$W", &out, 5, {}));
}

}  // namespace
}  // namespace nsk
