#include "nsk/catalog.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "nsk/fault.h"
#include "tests/nsk/store_fixture.h"

namespace nsk {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> Names(Catalog& catalog, const std::string& pattern) {
  std::vector<std::string> names;
  Error e = catalog.ForEachFile(pattern, [&names](const FileEntry& f) {
    names.push_back(f.name);
    return true;
  });
  EXPECT_TRUE(e.ok()) << pattern << ": " << e.message;
  return names;
}

TEST(NodeSettingsTest, OsVersionWords) {
  int16_t version = 0, update = 0;
  ASSERT_TRUE(ParseOsVersion("H06.29", &version, &update));
  EXPECT_EQ((('H' + 10) << 8) | 6, version);
  EXPECT_EQ(29, update);
  EXPECT_EQ("H06.29", FormatOsVersion(version, update));
  ASSERT_TRUE(ParseOsVersion("j01.3", &version, &update));
  EXPECT_EQ("J01.03", FormatOsVersion(version, update));
  const NodeSettings defaults;
  EXPECT_EQ("H06.29", FormatOsVersion(defaults.os_version, defaults.os_update));
  for (const char* bad : {"", "H6.29", "H06-29", "106.29", "H06.", "H06.299", "H0A.29"}) {
    version = update = 7;
    EXPECT_FALSE(ParseOsVersion(bad, &version, &update)) << bad;
    EXPECT_EQ(7, version) << bad;
  }
}

TEST(NodeSettingsTest, DefaultNodeNameIsLegal) {
  const NodeSettings s = DefaultNodeSettings();
  EXPECT_TRUE(IsLegalPart(s.node_name, '\\', NameMode::kExact)) << s.node_name;
}

TEST_F(StoreTest, CreateThenOpenKeepsTheSettings) {
  EXPECT_EQ("\\TEST", catalog_->settings().node_name);
  struct stat st;
  ASSERT_EQ(0, stat(catalog_->path().c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777);
  MakeFile("$D1.S.F");  // the WAL exists while the connection is open
  for (const char* suffix : {"-wal", "-shm"}) {
    ASSERT_EQ(0, stat((catalog_->path() + suffix).c_str(), &st)) << suffix;
    EXPECT_EQ(0600u, st.st_mode & 0777) << suffix;
  }

  catalog_.reset();
  std::unique_ptr<Catalog> again;
  ASSERT_TRUE(Catalog::Open(root_, {}, &again).ok());
  EXPECT_EQ("\\TEST", again->settings().node_name);
  EXPECT_EQ("H06.29", FormatOsVersion(again->settings().os_version, again->settings().os_update));
  EXPECT_EQ("$DATA", again->Defaults().volume);
  EXPECT_EQ("USER", again->Defaults().subvolume);
  std::vector<std::string> volumes;
  ASSERT_TRUE(again->ListVolumes(&volumes).ok());
  EXPECT_EQ((std::vector<std::string>{"$D1", "$D10", "$D2", "$DATA", "$SYSTEM"}), volumes);
}

TEST_F(StoreTest, CreateRefusesAnExistingNodeAndBadSettings) {
  std::unique_ptr<Catalog> other;
  EXPECT_EQ(10, Catalog::Create(root_, {}, {}, &other).code);
  EXPECT_EQ(nullptr, other);
  bool exists = false;
  EXPECT_TRUE(catalog_->VolumeExists("$D1", &exists).ok() && exists);  // the node is untouched

  struct Bad {
    const char* what;
    NodeSettings settings;
  } errors[] = {
      {"node name", {"NODE", (('H' + 10) << 8) | 6, 29, "$DATA", "USER"}},
      {"long node", {"\\ABCDEFGH", (('H' + 10) << 8) | 6, 29, "$DATA", "USER"}},
      {"volume", {"\\N", (('H' + 10) << 8) | 6, 29, "DATA", "USER"}},
      {"subvolume", {"\\N", (('H' + 10) << 8) | 6, 29, "$DATA", "1USER"}},
      {"series", {"\\N", 6, 29, "$DATA", "USER"}},
      {"update", {"\\N", (('H' + 10) << 8) | 6, 100, "$DATA", "USER"}},
  };
  for (const Bad& b : errors) {
    const std::string dir = dir_.path() + "/bad";
    EXPECT_FALSE(Catalog::Create(dir, b.settings, {}, &other).ok()) << b.what;
    EXPECT_NE(0, access((dir + "/catalog.db").c_str(), F_OK)) << b.what;
  }
}

TEST_F(StoreTest, OpenNeverCreates) {
  std::unique_ptr<Catalog> other;
  const std::string missing = dir_.path() + "/none";
  Error e = Catalog::Open(missing, {}, &other);
  EXPECT_EQ(14, e.code);
  EXPECT_NE(std::string::npos, e.message.find(missing)) << e.message;
  EXPECT_NE(std::string::npos, e.message.find("nskfile init")) << e.message;
  EXPECT_NE(0, access(missing.c_str(), F_OK));
  EXPECT_EQ(14, Catalog::Open("", {}, &other).code);
}

// Every kind of damage gives 59 (file is bad) from Open, or, when SQLite
// only finds it later, from the first read; never a crash.
TEST_F(StoreTest, DamagedCatalogIsOneClearError) {
  MakeFile("$D1.S.F", 3, AltList(1, {"$D1.S.A"}));
  for (int i = 0; i < 200; ++i) MakeFile("$D1.S.G" + std::to_string(i));
  const std::string path = catalog_->path();
  catalog_.reset();  // checkpoints the WAL into the main file
  const std::string good = ReadAll(path);
  ASSERT_GT(good.size(), 4096u);

  struct Damage {
    std::string what;
    std::string bytes;
  };
  std::vector<Damage> damages = {{"empty", ""},
                                 {"not a database", std::string(8192, 'x')},
                                 {"header only", good.substr(0, 100)}};
  for (size_t cut = 512; cut < good.size(); cut += 1024) {
    damages.push_back({"truncated to " + std::to_string(cut), good.substr(0, cut)});
  }
  std::string flipped = good;
  for (size_t i = 100; i < flipped.size(); i += 97) flipped[i] = static_cast<char>(~flipped[i]);
  damages.push_back({"flipped bytes", flipped});

  for (const Damage& d : damages) {
    WriteAll(path, d.bytes);
    unlink((path + "-wal").c_str());
    unlink((path + "-shm").c_str());
    std::unique_ptr<Catalog> c;
    Error e = Catalog::Open(root_, {}, &c);
    if (!e.ok()) {
      EXPECT_EQ(59, e.code) << d.what << ": " << e.message;
      EXPECT_EQ(nullptr, c) << d.what;
      continue;
    }
    FileEntry entry;
    e = c->GetFile("$D1.S.F", &entry);
    if (e.ok()) {
      EXPECT_EQ(AltList(1, {"$D1.S.A"}), entry.altlist) << d.what;
    } else {
      EXPECT_TRUE(e.code == 59 || e.code == 11) << d.what << ": " << e.code << " " << e.message;
    }
    std::vector<std::string> names;
    e = c->ForEachFile("$*.*.*", [&names](const FileEntry& f) {
      names.push_back(f.name);
      return true;
    });
    if (!e.ok()) {
      EXPECT_EQ(59, e.code) << d.what << ": " << e.message;
    }
  }

  // A database that is not a catalog: tables missing.
  WriteAll(path, "");
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "CREATE TABLE t (x); PRAGMA user_version = 1", nullptr,
                                    nullptr, nullptr));
  sqlite3_close(db);
  std::unique_ptr<Catalog> c;
  EXPECT_EQ(59, Catalog::Open(root_, {}, &c).code);
}

TEST_F(StoreTest, Volumes) {
  EXPECT_TRUE(catalog_->AddVolume("$new").ok());
  bool exists = false;
  ASSERT_TRUE(catalog_->VolumeExists("$NEW", &exists).ok());
  EXPECT_TRUE(exists);
  ASSERT_TRUE(catalog_->VolumeExists("$OTHER", &exists).ok());
  EXPECT_FALSE(exists);
  ASSERT_TRUE(catalog_->VolumeExists("junk", &exists).ok());
  EXPECT_FALSE(exists);
  EXPECT_EQ(10, catalog_->AddVolume("$NEW").code);
  for (const char* bad : {"NEW", "$", "$1A", "$ABCDEFGH", "$A.B", "$A*"}) {
    EXPECT_EQ(13, catalog_->AddVolume(bad).code) << bad;
  }
}

TEST_F(StoreTest, FilesRoundTrip) {
  std::string altlist = AltList(2, {"$D1.S.ALT1", "\\FAR.$X.Y.ALT2"});
  altlist += std::string("\0\xff", 2);  // stored bytes need not make sense
  MakeFile("$d1.sales.orders", 3, altlist, "sales.joe", "gggo");
  FileEntry entry;
  ASSERT_TRUE(catalog_->GetFile("\\TEST.$D1.SALES.ORDERS", &entry).ok());
  EXPECT_EQ("$D1.SALES.ORDERS", entry.name);
  EXPECT_EQ(3, entry.file_type);
  EXPECT_EQ("SALES.JOE", entry.owner);
  EXPECT_EQ("GGGO", entry.security);
  EXPECT_EQ(altlist, entry.altlist);

  // The narrow reads say what GetFile says, and refuse alike.
  int16_t type = -1, code = -1;
  ASSERT_TRUE(catalog_->GetFileType("$D1.SALES.ORDERS", &type, &code).ok());
  EXPECT_EQ(3, type);
  EXPECT_EQ(0, code);
  std::string stored = "left over from an earlier call";
  ASSERT_TRUE(catalog_->GetAltList("$d1.sales.orders", &stored).ok());
  EXPECT_EQ(altlist, stored);
  EXPECT_EQ(11, catalog_->GetFileType("$D1.SALES.GONE", &type, &code).code);
  EXPECT_EQ(13, catalog_->GetAltList("$D1.SALES.*", &stored).code);
  EXPECT_EQ(altlist, stored);
}

TEST_F(StoreTest, CreateFileErrors) {
  MakeFile("$D1.S.F");
  struct Case {
    const char* name;
    int16_t type;
    const char* owner;
    const char* security;
    int16_t error;
  } errors[] = {
      {"$D1.S.F", 3, "A.B", "AAAA", 10},         {"$NOVOL.S.F", 3, "A.B", "AAAA", 14},
      {"\\OTHER.$D1.S.G", 3, "A.B", "AAAA", 14}, {"S.F", 3, "A.B", "AAAA", 13},
      {"$D1.S", 3, "A.B", "AAAA", 13},           {"$D1.#S", 3, "A.B", "AAAA", 13},
      {"$D1.S.G*", 3, "A.B", "AAAA", 13},        {"$D1.S.G", 4, "A.B", "AAAA", 590},
      {"$D1.S.G", -1, "A.B", "AAAA", 590},       {"$D1.S.G", 3, "AB", "AAAA", 13},
      {"$D1.S.G", 3, "A.1B", "AAAA", 13},        {"$D1.S.G", 3, "A.B", "AAA", 13},
      {"$D1.S.G", 3, "A.B", "AAAX", 13},
  };
  for (const Case& c : errors) {
    FileEntry entry;
    entry.name = c.name;
    entry.file_type = c.type;
    entry.owner = c.owner;
    entry.security = c.security;
    EXPECT_EQ(c.error, catalog_->CreateFile(entry).code) << c.name << " " << c.owner;
  }
  EXPECT_EQ((std::vector<std::string>{"$D1.S.F"}), Names(*catalog_, "$*.*.*"));
}

// A batch is one transaction: every file of it, or none.
TEST_F(StoreTest, CreateFilesIsAllOrNothing) {
  MakeFile("$D1.S.TAKEN");
  struct Case {
    std::vector<std::string> names;
    int16_t error;
    std::vector<std::string> after;
  } cases[] = {
      {{"$D1.S.A", "$D2.T.B", "$d1.s.c"}, 0, {"$D1.S.A", "$D1.S.C", "$D1.S.TAKEN", "$D2.T.B"}},
      {{"$D1.S.X", "$D1.S.TAKEN"}, 10, {"$D1.S.TAKEN"}},
      {{"$D1.S.X", "$NOVOL.S.Y"}, 14, {"$D1.S.TAKEN"}},
      {{"$D1.S.X", "$D1.S.Y*"}, 13, {"$D1.S.TAKEN"}},
      {{}, 0, {"$D1.S.TAKEN"}},
  };
  for (const Case& c : cases) {
    const std::string row = c.names.empty() ? "(empty batch)" : c.names.back();
    size_t at = 0;
    Error e = catalog_->CreateFiles([&](FileEntry* entry) {
      if (at == c.names.size()) return false;
      *entry = FileEntry();
      entry->name = c.names[at++];
      entry->altlist = AltList(1, {"$D1.S.ALT"});
      return true;
    });
    EXPECT_EQ(c.error, e.code) << row << ": " << e.message;
    EXPECT_EQ(c.after, Names(*catalog_, "$*.*.*")) << row;
    if (e.ok()) {
      for (const std::string& name : c.names) catalog_->PurgeFile(name);
    }
  }
  // The batch's own write lock is gone: a plain create works after it.
  MakeFile("$D1.S.LATER");
}

TEST_F(StoreTest, CopyAndPurge) {
  const std::string altlist = AltList(1, {"$OLD.S.ALT"});
  MakeFile("$D1.S.HEAD", 3, altlist, "A.B", "GOGO");
  MakeFile("$D1.S.LOG", 2);
  ASSERT_TRUE(catalog_->AppendRecord("$D1.S.LOG", "one").ok());
  ASSERT_TRUE(catalog_->CopyFile("$D1.S.HEAD", "$D2.T.HEAD").ok());
  ASSERT_TRUE(catalog_->CopyFile("$D1.S.LOG", "$D2.T.LOG").ok());
  FileEntry copy;
  ASSERT_TRUE(catalog_->GetFile("$D2.T.HEAD", &copy).ok());
  EXPECT_EQ(altlist, copy.altlist);  // names still point where they did
  EXPECT_EQ("A.B", copy.owner);
  EXPECT_EQ("GOGO", copy.security);
  std::vector<std::string> records;
  ASSERT_TRUE(catalog_
                  ->ReadRecords("$D2.T.LOG",
                                [&](const std::string& r) {
                                  records.push_back(r);
                                  return true;
                                })
                  .ok());
  EXPECT_EQ(std::vector<std::string>{"one"}, records);

  EXPECT_EQ(11, catalog_->CopyFile("$D1.S.NONE", "$D2.T.X").code);
  EXPECT_EQ(10, catalog_->CopyFile("$D1.S.HEAD", "$D2.T.HEAD").code);
  EXPECT_EQ(14, catalog_->CopyFile("$D1.S.HEAD", "$NOVOL.T.HEAD").code);
  EXPECT_EQ(13, catalog_->CopyFile("$D1.S.HEAD", "T.HEAD").code);

  ASSERT_TRUE(catalog_->PurgeFile("$D1.S.LOG").ok());
  EXPECT_EQ(11, catalog_->PurgeFile("$D1.S.LOG").code);
  FileEntry gone;
  EXPECT_EQ(11, catalog_->GetFile("$D1.S.LOG", &gone).code);
  // A new file of the same name starts without the old records.
  MakeFile("$D1.S.LOG", 2);
  records.clear();
  ASSERT_TRUE(catalog_
                  ->ReadRecords("$D1.S.LOG",
                                [&](const std::string& r) {
                                  records.push_back(r);
                                  return true;
                                })
                  .ok());
  EXPECT_TRUE(records.empty());
}

TEST_F(StoreTest, Records) {
  MakeFile("$D1.S.OUT", 2);
  MakeFile("$D1.S.KEYED", 3);
  std::vector<std::string> written;
  for (int i = 0; i < 150; ++i) {  // more than one page
    written.push_back("line " + std::to_string(i));
    ASSERT_TRUE(catalog_->AppendRecord("$D1.S.OUT", written.back()).ok());
  }
  ASSERT_TRUE(catalog_->AppendRecord("$D1.S.OUT", std::string("\0a\n", 3)).ok());
  written.push_back(std::string("\0a\n", 3));
  ASSERT_TRUE(catalog_->AppendRecord("$D1.S.OUT", "").ok());
  written.push_back("");
  std::vector<std::string> read;
  ASSERT_TRUE(catalog_
                  ->ReadRecords("$D1.S.OUT",
                                [&](const std::string& r) {
                                  read.push_back(r);
                                  return true;
                                })
                  .ok());
  EXPECT_EQ(written, read);
  EXPECT_EQ(2, catalog_->AppendRecord("$D1.S.KEYED", "x").code);
  EXPECT_EQ(11, catalog_->AppendRecord("$D1.S.NONE", "x").code);
  EXPECT_EQ(2, catalog_->ReadRecords("$D1.S.KEYED", [](const std::string&) { return true; }).code);
}

TEST_F(StoreTest, ForEachFileOrderAndPatterns) {
  for (const char* n : {"$D2.B.X", "$D1.B.X", "$D10.A.A", "$D1.A.Z", "$D1.A.B", "$D1.AB.A"}) {
    MakeFile(n);
  }
  EXPECT_EQ((std::vector<std::string>{"$D1.A.B", "$D1.A.Z", "$D1.AB.A", "$D1.B.X", "$D10.A.A",
                                      "$D2.B.X"}),
            Names(*catalog_, "$*.*.*"));
  EXPECT_EQ((std::vector<std::string>{"$D1.A.B", "$D1.A.Z"}), Names(*catalog_, "$D1.A"));
  EXPECT_EQ((std::vector<std::string>{"$D10.A.A"}), Names(*catalog_, "\\TEST.$D1?.*.*"));
  EXPECT_EQ(14, catalog_->ForEachFile("\\FAR.$*.*.*", [](const FileEntry&) { return true; }).code);
  EXPECT_EQ(13, catalog_->ForEachFile("$*.*.*.*", [](const FileEntry&) { return true; }).code);
  int seen = 0;
  ASSERT_TRUE(
      catalog_->ForEachFile("$*.*.*", [&seen](const FileEntry&) { return ++seen < 2; }).ok());
  EXPECT_EQ(2, seen);
}

TEST_F(StoreTest, FaultsFailTheOperationAndChangeNothing) {
  FaultPlan plan;
  InstallFaultPlan(&plan);
  struct Case {
    FaultKind kind;
    int16_t error;
  } cases[] = {{FaultKind::kIoError, 190}, {FaultKind::kDiskFull, 45}, {FaultKind::kBusy, 40}};
  for (const Case& c : cases) {
    plan.FailNth(1, c.kind);
    FileEntry entry;
    entry.name = "$D1.S.F";
    EXPECT_EQ(c.error, catalog_->CreateFile(entry).code);
    EXPECT_TRUE(Names(*catalog_, "$*.*.*").empty());
    plan.FailNth(1, c.kind);
    EXPECT_EQ(c.error, catalog_->AddVolume("$NEW").code);
  }
  MakeFile("$D1.S.LOG", 2);
  ASSERT_TRUE(catalog_->AppendRecord("$D1.S.LOG", "one").ok());
  plan.FailNextCommit(FaultKind::kIoError);
  EXPECT_EQ(190, catalog_->AppendRecord("$D1.S.LOG", "two").code);
  plan.FailNextCommit(FaultKind::kDiskFull);
  EXPECT_EQ(45, catalog_->CopyFile("$D1.S.LOG", "$D2.S.LOG").code);
  InstallFaultPlan(nullptr);
  std::vector<std::string> records;
  ASSERT_TRUE(catalog_
                  ->ReadRecords("$D1.S.LOG",
                                [&](const std::string& r) {
                                  records.push_back(r);
                                  return true;
                                })
                  .ok());
  EXPECT_EQ(std::vector<std::string>{"one"}, records);
  EXPECT_EQ(std::vector<std::string>{"$D1.S.LOG"}, Names(*catalog_, "$*.*.*"));
  // The catalog still works after the faults.
  MakeFile("$D2.S.LOG", 2);
}

TEST_F(StoreTest, WriterLockedOutPastTheBusyTimeoutGets40) {
  sqlite3* other = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(catalog_->path().c_str(), &other));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
  catalog_->SetBusyTimeout(20);
  FileEntry entry;
  entry.name = "$D1.S.F";
  EXPECT_EQ(40, catalog_->CreateFile(entry).code);
  EXPECT_EQ(40, catalog_->AddVolume("$NEW").code);
  // Readers are not blocked by the writer (WAL).
  EXPECT_TRUE(Names(*catalog_, "$*.*.*").empty());
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr));
  sqlite3_close(other);
  EXPECT_TRUE(catalog_->CreateFile(entry).ok());
}

}  // namespace
}  // namespace nsk
