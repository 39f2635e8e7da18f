// The catalog on SQLite. docs/CATALOG.md describes the schema; in short:
//
//   node      one row: node name, OS version words, default volume/subvolume
//   volumes   one row per disk volume
//   files     one row per file: its name in three columns (volume,
//             subvolume, fileid; unique together, which is also the order
//             every listing uses), file type and code, owner, security,
//             and items 100 to 104 as one blob
//   records   the records of entry-sequenced files, by file and sequence
//
// PRAGMA user_version is 1 for this layout; anything else is not a catalog.
//
// Writes that read before they write (create, copy, label change, record
// append) run inside BEGIN IMMEDIATE, which takes the write lock first and
// so never has to upgrade a read lock (the source of SQLITE_BUSY deadlocks).
// Every statement is prepared once when the catalog opens and reset after
// each use, so no read transaction outlives the call that started it.
#include "nsk/catalog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "nsk/lock_wait.h"
#include "nsk/pattern.h"
#include "nsk/sql.h"

namespace nsk {
namespace {

constexpr int kSchemaVersion = 1;
constexpr int kPage = 64;  // names or records read per statement

const char kSchema[] = R"sql(
CREATE TABLE node (
  id                INTEGER PRIMARY KEY CHECK (id = 1),
  name              TEXT NOT NULL,
  os_version        INTEGER NOT NULL,
  os_update         INTEGER NOT NULL,
  default_volume    TEXT NOT NULL,
  default_subvolume TEXT NOT NULL
);
CREATE TABLE volumes (
  name TEXT PRIMARY KEY
) WITHOUT ROWID;
CREATE TABLE files (
  id        INTEGER PRIMARY KEY,
  volume    TEXT NOT NULL REFERENCES volumes (name),
  subvolume TEXT NOT NULL,
  fileid    TEXT NOT NULL,
  file_type INTEGER NOT NULL CHECK (file_type BETWEEN 0 AND 3),
  file_code INTEGER NOT NULL,
  owner     TEXT NOT NULL,
  security  TEXT NOT NULL,
  altlist   BLOB NOT NULL,
  UNIQUE (volume, subvolume, fileid)
);
CREATE TABLE records (
  file INTEGER NOT NULL REFERENCES files (id) ON DELETE CASCADE,
  seq  INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY (file, seq)
) WITHOUT ROWID;
PRAGMA user_version = 1;
)sql";

const char kFileColumns[] =
    "id, volume, subvolume, fileid, file_type, file_code, owner, security, altlist";

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool LegalOwner(const std::string& owner) {
  const size_t dot = owner.find('.');
  return dot != std::string::npos && IsLegalPart(owner.substr(0, dot), 0, NameMode::kExact) &&
         IsLegalPart(owner.substr(dot + 1), 0, NameMode::kExact);
}

bool LegalSecurity(const std::string& security) {
  if (security.size() != 4) return false;
  for (char c : security) {
    if (c != 'A' && c != 'G' && c != 'O' && c != '-') return false;
  }
  return true;
}

Error ErrnoError(const std::string& what, int error_number) {
  return Fail(ErrorFromErrno(error_number), what + ": " + std::strerror(error_number));
}

// Makes `directory` and its missing parents, mode 0700.
Error MakeDirectories(const std::string& directory) {
  for (size_t at = 1; at <= directory.size(); ++at) {
    if (at != directory.size() && directory[at] != '/') continue;
    const std::string prefix = directory.substr(0, at);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
      return ErrnoError("mkdir(" + prefix + ")", errno);
    }
  }
  return Ok();
}

void RemoveCatalogFiles(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) unlink((path + suffix).c_str());
}

// The smallest key greater than `text` among strings of name characters,
// which are all above \x01.
std::string After(const std::string& text) { return text + '\x01'; }

// The bound above every string that starts with `prefix`: name characters
// are all below \x7f.
std::string Above(const std::string& prefix) { return prefix + '\x7f'; }

}  // namespace

struct Catalog::Rep {
  sqlite3* db = nullptr;
  std::string path;
  std::string node_name;
  LockWait lock_wait;

  Statement begin, commit, rollback;
  Statement read_node;
  Statement add_volume, list_volumes, get_volume;
  Statement get_file, get_type, get_altlist, insert_file, copy_file, copy_records, delete_file,
      update_altlist;
  Statement next_any, next_in_volume, next_in_subvolume;
  Statement append_record, read_records;

  ~Rep() {
    // close_v2 waits for the statements, which are finalized after this.
    sqlite3_close_v2(db);
  }

  Error Failed(int code, const std::string& what) const {
    return SqlError(db, code, "catalog " + path + ": " + what);
  }

  // Opens the connection; the journal stays as the file has it.
  Error Connect(const std::string& catalog_path, const CatalogOptions& options);
  Error UseWal();
  Error CheckAndPrepare();
  // `size`: of the file before it was opened.
  Error CheckWholePages(int64_t size);
  Error ReadSettings(NodeSettings* settings);

  // Runs a statement that returns no rows.
  Error Run(Statement& s, StoreOp op, const char* what) {
    Use use(s);
    const int rc = s.Step(op);
    return rc == SQLITE_DONE || rc == SQLITE_ROW ? Ok() : Failed(rc, what);
  }

  Error Key(const std::string& name, FileKey* key) const;
  Error Insert(const FileEntry& entry);
  Error FindFile(const FileKey& key, int64_t* id, FileEntry* entry);
  // Steps `s`, a statement of one row by (volume, subvolume, fileid), to
  // the row of `key`, which is then there to read. `key` is bound without
  // a copy: the caller keeps it, and resets `s` (a Use), until done.
  Error FindByKey(Statement& s, const FileKey& key);

  // A write transaction, rolled back unless committed.
  class Transaction {
   public:
    explicit Transaction(Rep& rep) : rep_(rep) {}
    ~Transaction() {
      if (open_) Rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    Error Begin() {
      Error e = rep_.Run(rep_.begin, StoreOp::kWrite, "begin");
      open_ = e.ok();
      return e;
    }
    Error Commit() {
      Error e = rep_.Run(rep_.commit, StoreOp::kCommit, "commit");
      if (e.ok()) open_ = false;
      return e;
    }

   private:
    void Rollback() {
      // Cleanup is never a fault site: it must leave the store as it was.
      Use use(rep_.rollback);
      sqlite3_step(rep_.rollback.get());
      open_ = false;
    }
    Rep& rep_;
    bool open_ = false;
  };
};

Error Catalog::Rep::Connect(const std::string& catalog_path, const CatalogOptions& options) {
  path = catalog_path;
  const int rc =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) return Failed(rc, "open");
  sqlite3_extended_result_codes(db, 1);
  lock_wait.Install(db, options.busy_timeout_ms);
  // Without this SQLite compiles a statement again whenever a value bound to
  // a GLOB changes (it might allow an index range), which is every page of
  // every search; the plans here never depend on bound values.
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_QPSG, 1, nullptr);
  // A fixed page cache of 1 MiB: the searches and label reads walk the
  // index in order and never come back to a page, so a larger cache buys no
  // speed and would make a process's memory grow with the node up to it.
  for (const char* pragma :
       {"PRAGMA foreign_keys = ON", "PRAGMA synchronous = FULL", "PRAGMA cache_size = -1024"}) {
    const int prc = sqlite3_exec(db, pragma, nullptr, nullptr, nullptr);
    if (prc != SQLITE_OK) return Failed(prc, pragma);
  }
  return Ok();
}

Error Catalog::Rep::UseWal() {
  // Switching the journal mode writes the database header (and makes an
  // empty file a database), so it waits until the file is known to be a
  // catalog; for one of ours it is already WAL and nothing is written.
  const int rc = sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? Ok() : Failed(rc, "PRAGMA journal_mode = WAL");
}

Error Catalog::Rep::CheckAndPrepare() {
  Statement version;
  int rc = version.Prepare(db, "PRAGMA user_version");
  if (rc != SQLITE_OK) return Failed(rc, "read schema version");
  rc = version.Step(StoreOp::kRead);
  if (rc != SQLITE_ROW) return Failed(rc, "read schema version");
  if (version.Int(0) != kSchemaVersion) {
    return Fail(err::kFileBad, "catalog " + path + ": not a node catalog of this version");
  }
  version.Reset();

  const std::string file_columns = kFileColumns;
  // The GLOB filters are written "+column GLOB ?" so that SQLite never
  // turns them into index ranges of their own: the seek must come from the
  // keyset bound, or every page would scan again from the first name.
  const std::string next = "SELECT volume, subvolume, fileid FROM files WHERE ";
  const struct {
    Statement* statement;
    std::string sql;
  } statements[] = {
      {&begin, "BEGIN IMMEDIATE"},
      {&commit, "COMMIT"},
      {&rollback, "ROLLBACK"},
      {&read_node,
       "SELECT name, os_version, os_update, default_volume, default_subvolume FROM node "
       "WHERE id = 1"},
      {&add_volume, "INSERT INTO volumes (name) VALUES (?1)"},
      {&list_volumes, "SELECT name FROM volumes ORDER BY name"},
      {&get_volume, "SELECT 1 FROM volumes WHERE name = ?1"},
      {&get_file, "SELECT " + file_columns +
                      " FROM files WHERE volume = ?1 AND subvolume = ?2 AND fileid = ?3"},
      {&get_type,
       "SELECT file_type, file_code FROM files WHERE volume = ?1 AND subvolume = ?2 AND fileid = "
       "?3"},
      {&get_altlist,
       "SELECT altlist FROM files WHERE volume = ?1 AND subvolume = ?2 AND fileid = ?3"},
      {&insert_file,
       "INSERT INTO files (volume, subvolume, fileid, file_type, file_code, owner, security, "
       "altlist) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"},
      {&copy_file,
       "INSERT INTO files (volume, subvolume, fileid, file_type, file_code, owner, security, "
       "altlist) SELECT ?2, ?3, ?4, file_type, file_code, owner, security, altlist FROM files "
       "WHERE id = ?1"},
      {&copy_records,
       "INSERT INTO records (file, seq, data) SELECT ?2, seq, data FROM records "
       "WHERE file = ?1"},
      {&delete_file, "DELETE FROM files WHERE volume = ?1 AND subvolume = ?2 AND fileid = ?3"},
      {&update_altlist, "UPDATE files SET altlist = ?2 WHERE id = ?1"},
      {&next_any, next + "(volume, subvolume, fileid) >= (?1, ?2, ?3) AND volume < ?4 AND "
                         "+volume GLOB ?5 AND +subvolume GLOB ?6 AND +fileid GLOB ?7 "
                         "ORDER BY volume, subvolume, fileid LIMIT ?8"},
      {&next_in_volume, next + "volume = ?1 AND (subvolume, fileid) >= (?2, ?3) AND "
                               "subvolume < ?4 AND +subvolume GLOB ?5 AND +fileid GLOB ?6 "
                               "ORDER BY subvolume, fileid LIMIT ?7"},
      {&next_in_subvolume, next + "volume = ?1 AND subvolume = ?2 AND fileid >= ?3 AND "
                                  "fileid < ?4 AND +fileid GLOB ?5 ORDER BY fileid LIMIT ?6"},
      {&append_record,
       "INSERT INTO records (file, seq, data) "
       "SELECT ?1, COALESCE(MAX(seq), 0) + 1, ?2 FROM records WHERE file = ?1"},
      {&read_records,
       "SELECT seq, data FROM records WHERE file = ?1 AND seq > ?2 "
       "ORDER BY seq LIMIT ?3"},
  };
  for (const auto& s : statements) {
    rc = s.statement->Prepare(db, s.sql.c_str());
    if (rc != SQLITE_OK) {
      // A table or column that is not there: the catalog is damaged.
      Error e = Failed(rc, "prepare");
      if ((rc & 0xFF) == SQLITE_ERROR) e.code = err::kFileBad;
      return e;
    }
  }
  return Ok();
}

Error Catalog::Rep::CheckWholePages(int64_t size) {
  // SQLite only ever writes whole pages, so a catalog whose size is not a
  // multiple of its page size has been cut short. SQLite would read the
  // missing bytes as zeros and fail only at the page that holds them.
  Statement page_size;
  int rc = page_size.Prepare(db, "PRAGMA page_size");
  if (rc == SQLITE_OK) rc = page_size.Step(StoreOp::kRead);
  if (rc != SQLITE_ROW) return Failed(rc, "read page size");
  const int64_t page = page_size.Int(0);
  if (page > 0 && size % page != 0) {
    return Fail(err::kFileBad, "catalog " + path + ": cut short (" + std::to_string(size) +
                                   " bytes is not a whole number of pages)");
  }
  return Ok();
}

Error Catalog::Rep::ReadSettings(NodeSettings* settings) {
  Use use(read_node);
  const int rc = read_node.Step(StoreOp::kRead);
  if (rc == SQLITE_DONE) return Fail(err::kFileBad, "catalog " + path + ": node settings missing");
  if (rc != SQLITE_ROW) return Failed(rc, "read node settings");
  settings->node_name = read_node.Text(0);
  settings->os_version = static_cast<int16_t>(read_node.Int(1));
  settings->os_update = static_cast<int16_t>(read_node.Int(2));
  settings->default_volume = read_node.Text(3);
  settings->default_subvolume = read_node.Text(4);
  node_name = settings->node_name;
  return Ok();
}

Error Catalog::Rep::Key(const std::string& name, FileKey* key) const {
  NameParts parts;
  if (name.size() > 64 ||
      SplitName(name.data(), static_cast<int16_t>(name.size()), NameMode::kExact, &parts) != 0 ||
      parts.volume.empty() || parts.subvolume.empty() || parts.file.empty() ||
      parts.subvolume[0] == '#') {
    return Fail(err::kIllegalName, "illegal file name: " + name);
  }
  if (!parts.node.empty() && parts.node != node_name) {
    return Fail(err::kNoSuchDevice, "node " + parts.node + " is not this node (" + node_name + ")");
  }
  key->volume = parts.volume;
  key->subvolume = parts.subvolume;
  key->file = parts.file;
  return Ok();
}

Error Catalog::Rep::FindByKey(Statement& s, const FileKey& key) {
  s.BindView(1, key.volume);
  s.BindView(2, key.subvolume);
  s.BindView(3, key.file);
  const int rc = s.Step(StoreOp::kRead);
  if (rc == SQLITE_ROW) return Ok();
  if (rc == SQLITE_DONE) return Fail(err::kNotFound, "no file " + key.Name());
  return Failed(rc, "read file " + key.Name());
}

Error Catalog::Rep::FindFile(const FileKey& key, int64_t* id, FileEntry* entry) {
  Use use(get_file);
  get_file.Bind(1, key.volume);
  get_file.Bind(2, key.subvolume);
  get_file.Bind(3, key.file);
  const int rc = get_file.Step(StoreOp::kRead);
  if (rc == SQLITE_DONE) return Fail(err::kNotFound, "no file " + key.Name());
  if (rc != SQLITE_ROW) return Failed(rc, "read file " + key.Name());
  if (id != nullptr) *id = get_file.Int(0);
  if (entry != nullptr) {
    entry->name = get_file.Text(1) + "." + get_file.Text(2) + "." + get_file.Text(3);
    entry->file_type = static_cast<int16_t>(get_file.Int(4));
    entry->file_code = static_cast<int16_t>(get_file.Int(5));
    entry->owner = get_file.Text(6);
    entry->security = get_file.Text(7);
    entry->altlist = get_file.Blob(8);
  }
  return Ok();
}

// ---- Node ------------------------------------------------------------------

std::string NodeDirectory() {
  auto env = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
  };
  if (std::string root = env("NSK_ROOT"); !root.empty()) return root;
  if (std::string xdg = env("XDG_DATA_HOME"); !xdg.empty()) return xdg + "/nsk";
  if (std::string home = env("HOME"); !home.empty()) return home + "/.local/share/nsk";
  return std::string();
}

NodeSettings DefaultNodeSettings() {
  NodeSettings settings;
  char host[256] = {0};
  if (gethostname(host, sizeof host - 1) == 0) {
    std::string label(host, std::strcspn(host, "."));
    label = "\\" + Upper(label.substr(0, 7));
    if (IsLegalPart(label, '\\', NameMode::kExact)) settings.node_name = label;
  }
  return settings;
}

bool ParseOsVersion(const std::string& text, int16_t* version, int16_t* update) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const size_t n = text.size();
  if (n < 5 || n > 6 || !digit(text[1]) || !digit(text[2]) || text[3] != '.' || !digit(text[4]) ||
      (n == 6 && !digit(text[5]))) {
    return false;
  }
  const char letter = Upper(text.substr(0, 1))[0];
  if (letter < 'A' || letter > 'Z') return false;
  const int release = (text[1] - '0') * 10 + (text[2] - '0');
  const int upd = n == 6 ? (text[4] - '0') * 10 + (text[5] - '0') : text[4] - '0';
  *version = static_cast<int16_t>(((letter + 10) << 8) | release);
  *update = static_cast<int16_t>(upd);
  return true;
}

std::string FormatOsVersion(int16_t version, int16_t update) {
  char text[32];
  std::snprintf(text, sizeof text, "%c%02d.%02d", static_cast<char>(((version >> 8) & 0xFF) - 10),
                version & 0xFF, static_cast<int>(update));
  return text;
}

Catalog::Catalog(std::unique_ptr<Rep> rep) : rep_(std::move(rep)) {}
Catalog::~Catalog() = default;

std::string Catalog::path() const { return rep_->path; }

NameDefaults Catalog::Defaults() const {
  return NameDefaults{settings_.node_name, settings_.default_volume, settings_.default_subvolume};
}

void Catalog::SetBusyTimeout(int milliseconds) { rep_->lock_wait.Install(rep_->db, milliseconds); }

Error Catalog::Open(const std::string& directory, const CatalogOptions& options,
                    std::unique_ptr<Catalog>* catalog) {
  catalog->reset();
  if (directory.empty()) {
    return Fail(err::kNoSuchDevice,
                "no node: set NSK_ROOT (or HOME) and create the node with: nskfile init");
  }
  const std::string path = directory + "/catalog.db";
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      return Fail(err::kNoSuchDevice, "no node at " + directory + " (" + path +
                                          " missing); create it with: nskfile init");
    }
    return ErrnoError("stat(" + path + ")", errno);
  }
  if (!S_ISREG(st.st_mode)) return Fail(err::kFileBad, path + ": not a regular file");

  // While a -wal file exists another connection may be checkpointing into
  // the file, and its size proves nothing.
  struct stat wal;
  const bool size_counts = stat((path + "-wal").c_str(), &wal) != 0;

  auto rep = std::make_unique<Rep>();
  NodeSettings settings;
  Error e = rep->Connect(path, options);
  if (e.ok()) e = rep->CheckAndPrepare();
  if (e.ok() && size_counts) e = rep->CheckWholePages(st.st_size);
  if (e.ok()) e = rep->ReadSettings(&settings);
  if (e.ok()) e = rep->UseWal();
  if (!e.ok()) return e;
  std::unique_ptr<Catalog> opened(new Catalog(std::move(rep)));
  opened->directory_ = directory;
  opened->settings_ = settings;
  *catalog = std::move(opened);
  return Ok();
}

Error Catalog::Create(const std::string& directory, const NodeSettings& settings,
                      const CatalogOptions& options, std::unique_ptr<Catalog>* catalog) {
  catalog->reset();
  if (directory.empty()) return Fail(err::kNoSuchDevice, "no node directory: set NSK_ROOT or HOME");
  NodeSettings s = settings;
  s.node_name = Upper(s.node_name);
  s.default_volume = Upper(s.default_volume);
  s.default_subvolume = Upper(s.default_subvolume);
  if (!IsLegalPart(s.node_name, '\\', NameMode::kExact) ||
      !IsLegalPart(s.default_volume, '$', NameMode::kExact) ||
      !IsLegalPart(s.default_subvolume, 0, NameMode::kExact)) {
    return Fail(err::kIllegalName, "illegal node name or default volume and subvolume");
  }
  const int series = (s.os_version >> 8) & 0xFF;
  if (series < 'A' + 10 || series > 'Z' + 10 || (s.os_version & 0xFF) > 99 || s.os_update < 0 ||
      s.os_update > 99) {
    return Fail(err::kBadParameterValue, "illegal OS version words");
  }
  if (Error e = MakeDirectories(directory); !e.ok()) return e;
  const std::string path = directory + "/catalog.db";
  // Made here, not by SQLite, so that it is the owner's alone from the start;
  // SQLite gives its -wal and -shm files the same mode.
  const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == EEXIST) return Fail(err::kAlreadyExists, "a node exists already at " + directory);
    return ErrnoError("open(" + path + ")", errno);
  }
  close(fd);

  Error e;
  {
    Rep rep;
    e = rep.Connect(path, options);
    if (e.ok()) e = rep.UseWal();
    if (e.ok()) {
      const int rc = sqlite3_exec(rep.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
      if (rc != SQLITE_OK) e = rep.Failed(rc, "begin");
    }
    if (e.ok()) {
      const int rc = sqlite3_exec(rep.db, kSchema, nullptr, nullptr, nullptr);
      if (rc != SQLITE_OK) e = rep.Failed(rc, "create schema");
    }
    if (e.ok()) {
      Statement node, volume;
      int rc = node.Prepare(rep.db,
                            "INSERT INTO node (id, name, os_version, os_update, default_volume, "
                            "default_subvolume) VALUES (1, ?1, ?2, ?3, ?4, ?5)");
      if (rc == SQLITE_OK) {
        node.Bind(1, s.node_name);
        node.Bind(2, int64_t{s.os_version});
        node.Bind(3, int64_t{s.os_update});
        node.Bind(4, s.default_volume);
        node.Bind(5, s.default_subvolume);
        rc = node.Step(StoreOp::kWrite);
      }
      for (const char* name : {"$SYSTEM", "$DATA"}) {
        if (rc != SQLITE_DONE && rc != SQLITE_OK) break;
        rc = volume.Prepare(rep.db, "INSERT INTO volumes (name) VALUES (?1)");
        if (rc == SQLITE_OK) {
          volume.Bind(1, std::string(name));
          rc = volume.Step(StoreOp::kWrite);
        }
      }
      if (rc != SQLITE_DONE) e = rep.Failed(rc, "write node settings");
    }
    if (e.ok()) {
      int rc = FaultBefore(StoreOp::kCommit);
      if (rc == SQLITE_OK) rc = sqlite3_exec(rep.db, "COMMIT", nullptr, nullptr, nullptr);
      if (rc != SQLITE_OK) e = rep.Failed(rc, "commit");
    }
  }
  if (!e.ok()) {
    RemoveCatalogFiles(path);
    return e;
  }
  return Open(directory, options, catalog);
}

// ---- Volumes ---------------------------------------------------------------

Error Catalog::AddVolume(const std::string& name) {
  const std::string volume = Upper(name);
  if (!IsLegalPart(volume, '$', NameMode::kExact)) {
    return Fail(err::kIllegalName, "illegal volume name: " + name);
  }
  Statement& s = rep_->add_volume;
  Use use(s);
  s.Bind(1, volume);
  const int rc = s.Step(StoreOp::kWrite);
  if (rc == SQLITE_DONE) return Ok();
  Error e = rep_->Failed(rc, "add volume " + volume);
  if (e.code == err::kAlreadyExists) e.message = "volume " + volume + " exists already";
  return e;
}

Error Catalog::ListVolumes(std::vector<std::string>* volumes) {
  Statement& s = rep_->list_volumes;
  Use use(s);
  std::vector<std::string> out;
  int rc;
  while ((rc = s.Step(StoreOp::kRead)) == SQLITE_ROW) out.push_back(s.Text(0));
  if (rc != SQLITE_DONE) return rep_->Failed(rc, "list volumes");
  *volumes = std::move(out);
  return Ok();
}

Error Catalog::VolumeExists(const std::string& name, bool* exists) {
  const std::string volume = Upper(name);
  if (!IsLegalPart(volume, '$', NameMode::kExact)) {
    *exists = false;
    return Ok();
  }
  Statement& s = rep_->get_volume;
  Use use(s);
  s.Bind(1, volume);
  const int rc = s.Step(StoreOp::kRead);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return rep_->Failed(rc, "read volume " + volume);
  *exists = rc == SQLITE_ROW;
  return Ok();
}

// ---- Files -----------------------------------------------------------------

Error Catalog::CreateFile(const FileEntry& entry) { return rep_->Insert(entry); }

Error Catalog::CreateFiles(const std::function<bool(FileEntry*)>& next) {
  Rep::Transaction t(*rep_);
  if (Error e = t.Begin(); !e.ok()) return e;
  FileEntry entry;
  while (next(&entry)) {
    if (Error e = rep_->Insert(entry); !e.ok()) return e;
  }
  return t.Commit();
}

Error Catalog::Rep::Insert(const FileEntry& entry) {
  FileKey key;
  if (Error e = Key(entry.name, &key); !e.ok()) return e;
  const std::string owner = Upper(entry.owner);
  const std::string security = Upper(entry.security);
  if (!LegalOwner(owner)) return Fail(err::kIllegalName, "illegal owner: " + entry.owner);
  if (!LegalSecurity(security)) {
    return Fail(err::kIllegalName, "illegal security string: " + entry.security);
  }
  if (entry.file_type < 0 || entry.file_type > 3) {
    return Fail(err::kBadParameterValue, "file type must be 0 to 3");
  }
  if (entry.altlist.size() > 32767) return Fail(err::kIllegalCount, "alternate-key list too long");
  Statement& s = insert_file;
  Use use(s);
  s.Bind(1, key.volume);
  s.Bind(2, key.subvolume);
  s.Bind(3, key.file);
  s.Bind(4, int64_t{entry.file_type});
  s.Bind(5, int64_t{entry.file_code});
  s.Bind(6, owner);
  s.Bind(7, security);
  s.BindBlob(8, entry.altlist);
  const int rc = s.Step(StoreOp::kWrite);
  if (rc == SQLITE_DONE) return Ok();
  Error e = Failed(rc, "create " + key.Name());
  if (e.code == err::kAlreadyExists) e.message = key.Name() + " exists already";
  if (e.code == err::kNoSuchDevice) e.message = "no volume " + key.volume;
  return e;
}

Error Catalog::GetFile(const std::string& name, FileEntry* entry) {
  FileKey key;
  if (Error e = rep_->Key(name, &key); !e.ok()) return e;
  FileEntry found;
  if (Error e = rep_->FindFile(key, nullptr, &found); !e.ok()) return e;
  *entry = std::move(found);
  return Ok();
}

Error Catalog::GetFileType(const std::string& name, int16_t* file_type, int16_t* file_code) {
  FileKey key;
  if (Error e = rep_->Key(name, &key); !e.ok()) return e;
  Statement& s = rep_->get_type;
  Use use(s);
  if (Error e = rep_->FindByKey(s, key); !e.ok()) return e;
  *file_type = static_cast<int16_t>(s.Int(0));
  *file_code = static_cast<int16_t>(s.Int(1));
  return Ok();
}

Error Catalog::GetAltList(const std::string& name, std::string* altlist) {
  FileKey key;
  if (Error e = rep_->Key(name, &key); !e.ok()) return e;
  Statement& s = rep_->get_altlist;
  Use use(s);
  if (Error e = rep_->FindByKey(s, key); !e.ok()) return e;
  s.BlobInto(0, altlist);
  return Ok();
}

Error Catalog::CopyFile(const std::string& from, const std::string& to) {
  FileKey source, target;
  if (Error e = rep_->Key(from, &source); !e.ok()) return e;
  if (Error e = rep_->Key(to, &target); !e.ok()) return e;
  Rep::Transaction t(*rep_);
  if (Error e = t.Begin(); !e.ok()) return e;
  int64_t id = 0;
  if (Error e = rep_->FindFile(source, &id, nullptr); !e.ok()) return e;
  {
    Statement& s = rep_->copy_file;
    Use use(s);
    s.Bind(1, id);
    s.Bind(2, target.volume);
    s.Bind(3, target.subvolume);
    s.Bind(4, target.file);
    const int rc = s.Step(StoreOp::kWrite);
    if (rc != SQLITE_DONE) {
      Error e = rep_->Failed(rc, "copy to " + target.Name());
      if (e.code == err::kAlreadyExists) e.message = target.Name() + " exists already";
      if (e.code == err::kNoSuchDevice) e.message = "no volume " + target.volume;
      return e;
    }
  }
  const int64_t copy = sqlite3_last_insert_rowid(rep_->db);
  {
    Statement& s = rep_->copy_records;
    Use use(s);
    s.Bind(1, id);
    s.Bind(2, copy);
    const int rc = s.Step(StoreOp::kWrite);
    if (rc != SQLITE_DONE) return rep_->Failed(rc, "copy records to " + target.Name());
  }
  return t.Commit();
}

Error Catalog::PurgeFile(const std::string& name) {
  FileKey key;
  if (Error e = rep_->Key(name, &key); !e.ok()) return e;
  Statement& s = rep_->delete_file;
  Use use(s);
  s.Bind(1, key.volume);
  s.Bind(2, key.subvolume);
  s.Bind(3, key.file);
  const int rc = s.Step(StoreOp::kWrite);
  if (rc != SQLITE_DONE) return rep_->Failed(rc, "purge " + key.Name());
  if (sqlite3_changes(rep_->db) == 0) return Fail(err::kNotFound, "no file " + key.Name());
  return Ok();
}

Error Catalog::NextFiles(const FilePattern& pattern, const FileKey* after, int limit,
                         std::vector<FileKey>* keys) {
  keys->clear();
  const std::string volume = Upper(pattern.volume);
  const std::string subvolume = Upper(pattern.subvolume);
  const std::string file = Upper(pattern.file);
  Statement* s;
  int next;  // first parameter after the bounds
  // The literal leading parts of the pattern pin the statement to one
  // volume or one subvolume; the literal prefix of the first wild part and
  // the last name delivered bound the index range from below and above.
  if (IsLiteral(volume) && IsLiteral(subvolume)) {
    s = &rep_->next_in_subvolume;
    std::string low = LiteralPrefix(file);
    if (after != nullptr) {
      const auto place = std::tie(after->volume, after->subvolume);
      const auto here = std::tie(volume, subvolume);
      if (place > here) return Ok();
      if (place == here) low = std::max(low, After(after->file));
    }
    s->Bind(1, volume);
    s->Bind(2, subvolume);
    s->Bind(3, low);
    s->Bind(4, Above(LiteralPrefix(file)));
    s->Bind(5, GlobOf(file));
    next = 6;
  } else if (IsLiteral(volume)) {
    s = &rep_->next_in_volume;
    auto low = std::make_tuple(LiteralPrefix(subvolume), std::string());
    if (after != nullptr) {
      if (after->volume > volume) return Ok();
      if (after->volume == volume) {
        low = std::max(low, std::make_tuple(after->subvolume, After(after->file)));
      }
    }
    s->Bind(1, volume);
    s->Bind(2, std::get<0>(low));
    s->Bind(3, std::get<1>(low));
    s->Bind(4, Above(LiteralPrefix(subvolume)));
    s->Bind(5, GlobOf(subvolume));
    s->Bind(6, GlobOf(file));
    next = 7;
  } else {
    s = &rep_->next_any;
    auto low = std::make_tuple(LiteralPrefix(volume), std::string(), std::string());
    if (after != nullptr) {
      low = std::max(low, std::make_tuple(after->volume, after->subvolume, After(after->file)));
    }
    s->Bind(1, std::get<0>(low));
    s->Bind(2, std::get<1>(low));
    s->Bind(3, std::get<2>(low));
    s->Bind(4, Above(LiteralPrefix(volume)));
    s->Bind(5, GlobOf(volume));
    s->Bind(6, GlobOf(subvolume));
    s->Bind(7, GlobOf(file));
    next = 8;
  }
  Use use(*s);
  s->Bind(next, int64_t{limit});
  int rc;
  while ((rc = s->Step(StoreOp::kRead)) == SQLITE_ROW) {
    keys->push_back(FileKey{s->Text(0), s->Text(1), s->Text(2)});
  }
  if (rc != SQLITE_DONE) {
    keys->clear();
    return rep_->Failed(rc, "list files");
  }
  return Ok();
}

Error Catalog::ForEachFile(const std::string& pattern,
                           const std::function<bool(const FileEntry&)>& visit) {
  FilePattern parts;
  std::string node;
  const NameRules rules(Defaults());
  if (pattern.size() > 60 || MakeFilePattern(pattern.data(), static_cast<int16_t>(pattern.size()),
                                             rules, &parts, &node) != 0) {
    return Fail(err::kIllegalName, "illegal file-name pattern: " + pattern);
  }
  if (!node.empty() && !MatchPart(node, settings_.node_name)) {
    return Fail(err::kNoSuchDevice,
                "pattern " + pattern + " names no file of node " + settings_.node_name);
  }
  std::vector<FileKey> keys;
  FileKey last;
  bool started = false;
  do {
    if (Error e = NextFiles(parts, started ? &last : nullptr, kPage, &keys); !e.ok()) return e;
    for (const FileKey& key : keys) {
      FileEntry entry;
      Error e = rep_->FindFile(key, nullptr, &entry);
      if (e.code == err::kNotFound) continue;  // purged since the page was read
      if (!e.ok()) return e;
      if (!visit(entry)) return Ok();
    }
    if (!keys.empty()) last = keys.back();
    started = true;
  } while (keys.size() == static_cast<size_t>(kPage));
  return Ok();
}

// ---- Labels ----------------------------------------------------------------

Error Catalog::ReplaceAltList(const std::string& name, const std::string& altlist,
                              const AlterCheck& check) {
  FileKey key;
  if (Error e = rep_->Key(name, &key); !e.ok()) return e;
  if (altlist.size() > 32767) return Fail(err::kIllegalCount, "alternate-key list too long");
  Rep::Transaction t(*rep_);
  if (Error e = t.Begin(); !e.ok()) return e;
  int64_t id = 0;
  FileEntry entry;
  if (Error e = rep_->FindFile(key, &id, &entry); !e.ok()) return e;
  if (check) {
    if (int16_t refused = check(entry)) return Fail(refused);
  }
  {
    Statement& s = rep_->update_altlist;
    Use use(s);
    s.Bind(1, id);
    s.BindBlob(2, altlist);
    const int rc = s.Step(StoreOp::kWrite);
    if (rc != SQLITE_DONE) return rep_->Failed(rc, "write label of " + key.Name());
  }
  return t.Commit();
}

// ---- Records ---------------------------------------------------------------

Error Catalog::AppendRecord(const std::string& name, const std::string& record) {
  FileKey key;
  if (Error e = rep_->Key(name, &key); !e.ok()) return e;
  Rep::Transaction t(*rep_);
  if (Error e = t.Begin(); !e.ok()) return e;
  int64_t id = 0;
  FileEntry entry;
  if (Error e = rep_->FindFile(key, &id, &entry); !e.ok()) return e;
  if (entry.file_type != 2) {
    return Fail(err::kNotAllowedOnType, key.Name() + " is not entry-sequenced");
  }
  {
    Statement& s = rep_->append_record;
    Use use(s);
    s.Bind(1, id);
    s.BindBlob(2, record);
    const int rc = s.Step(StoreOp::kWrite);
    if (rc != SQLITE_DONE) return rep_->Failed(rc, "append to " + key.Name());
  }
  return t.Commit();
}

Error Catalog::ReadRecords(const std::string& name,
                           const std::function<bool(const std::string&)>& visit) {
  FileKey key;
  if (Error e = rep_->Key(name, &key); !e.ok()) return e;
  int64_t id = 0;
  FileEntry entry;
  if (Error e = rep_->FindFile(key, &id, &entry); !e.ok()) return e;
  if (entry.file_type != 2) {
    return Fail(err::kNotAllowedOnType, key.Name() + " is not entry-sequenced");
  }
  int64_t last = 0;
  std::vector<std::pair<int64_t, std::string>> page;
  do {
    page.clear();
    {
      Statement& s = rep_->read_records;
      Use use(s);
      s.Bind(1, id);
      s.Bind(2, last);
      s.Bind(3, int64_t{kPage});
      int rc;
      while ((rc = s.Step(StoreOp::kRead)) == SQLITE_ROW) page.emplace_back(s.Int(0), s.Blob(1));
      if (rc != SQLITE_DONE) return rep_->Failed(rc, "read records of " + key.Name());
    }
    for (const auto& [seq, data] : page) {
      if (!visit(data)) return Ok();
      last = seq;
    }
  } while (page.size() == static_cast<size_t>(kPage));
  return Ok();
}

}  // namespace nsk
