// The least work the node's storage allows for KEYMEND's job, written
// straight against SQLite: what KEYMEND is measured against.
//
//   baseline DIRECTORY VOLUME_PREFIX LOCATION [LISTONLY]
//
// It visits every file of the node in DIRECTORY on a volume whose name
// begins with VOLUME_PREFIX (the files KEYMEND finds with the template
// "<prefix>*.*.*"), gives every alternate-key file name of each head file
// the location LOCATION ("$VOL.SUBVOL") and writes the head file's list
// back when a name changed. Its report lines are KEYMEND's, byte for byte,
// without the banner, so that the two outputs can be compared.
//
// Per file it does what the storage design requires and no more:
//   1. one keyset query for the next name: the first name after the last
//      one, LIMIT 1, so no read transaction lasts from one name to the next;
//   2. one read of the label (file type and items 100 to 104);
//   3. for a head file whose names change, one update, which is one durable
//      transaction (synchronous=FULL, as the catalog runs it).
// Its statements are prepared once and reused, and names stay in fixed
// buffers. The connection is set up as the catalog's: WAL,
// synchronous=FULL, the same page cache. Each report line leaves in one
// write(2) as soon as it is made, as KEYMEND's WRITE of a line does, so a
// run that is stopped loses no line. Access checks are left out: it runs as
// the super user, whom every file lets write.
//
// Exit status 0, 1 when a line said " in error: ", 2 when the node cannot
// be read.
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr char kFiller[] = ". . . . . . . . . . . . . . . . . . .  ";
constexpr int kFillerBytes = 39;
constexpr int kMaxNames = 256;
constexpr int kNameBytes = 36;

struct Statements {
  sqlite3_stmt* next = nullptr;
  sqlite3_stmt* label = nullptr;
  sqlite3_stmt* update = nullptr;
};

int Fail(sqlite3* db, const char* what) {
  std::fprintf(stderr, "baseline: %s: %s\n", what, sqlite3_errmsg(db));
  return 2;
}

int Word(const unsigned char* bytes, int at) {
  return static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// Copies column `column` of `s` into `out` (room for kNameBytes + 1).
int CopyText(sqlite3_stmt* s, int column, char* out) {
  const int n = sqlite3_column_bytes(s, column);
  const int len = n > kNameBytes ? kNameBytes : n;
  std::memcpy(out, sqlite3_column_text(s, column), static_cast<size_t>(len));
  out[len] = 0;
  return len;
}

class Report {
 public:
  // Starts the line of file `name`: the name laid over the filler.
  void Start(const char* name, int length) {
    std::memcpy(line_, kFiller, kFillerBytes);
    std::memcpy(line_, name, static_cast<size_t>(length));
    length_ = kFillerBytes;
  }
  void Add(std::string_view text) {
    std::memcpy(line_ + length_, text.data(), text.size());
    length_ += static_cast<int>(text.size());
  }
  void Add(int number) { length_ += std::snprintf(line_ + length_, 16, "%d", number); }
  void Clear() { length_ = 0; }
  void Write() {
    line_[length_] = '\n';
    const size_t size = static_cast<size_t>(length_) + 1;
    for (size_t done = 0; done < size;) {
      const ssize_t n = ::write(1, line_ + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        std::perror("baseline: write");
        std::exit(2);
      }
      done += static_cast<size_t>(n);
    }
  }

 private:
  char line_[256];
  int length_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5 || (argc == 5 && std::strcmp(argv[4], "LISTONLY") != 0)) {
    std::fputs("usage: baseline DIRECTORY VOLUME_PREFIX LOCATION [LISTONLY]\n", stderr);
    return 2;
  }
  const std::string path = std::string(argv[1]) + "/catalog.db";
  const std::string prefix = argv[2];
  const std::string above = prefix + '\x7f';
  const std::string_view location = argv[3];
  const bool listonly = argc == 5;

  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    return Fail(db, "open");
  }
  sqlite3_busy_timeout(db, 5000);
  for (const char* pragma : {"PRAGMA foreign_keys = ON", "PRAGMA journal_mode = WAL",
                             "PRAGMA synchronous = FULL", "PRAGMA cache_size = -1024"}) {
    if (sqlite3_exec(db, pragma, nullptr, nullptr, nullptr) != SQLITE_OK) return Fail(db, pragma);
  }
  Statements st;
  const struct {
    sqlite3_stmt** statement;
    const char* sql;
  } prepare[] = {
      {&st.next,
       "SELECT volume, subvolume, fileid FROM files WHERE (volume, subvolume, fileid) > "
       "(?1, ?2, ?3) AND volume < ?4 ORDER BY volume, subvolume, fileid LIMIT 1"},
      {&st.label,
       "SELECT file_type, altlist FROM files WHERE volume = ?1 AND subvolume = ?2 AND fileid = ?3"},
      {&st.update,
       "UPDATE files SET altlist = ?4 WHERE volume = ?1 AND subvolume = ?2 AND fileid = ?3"},
  };
  for (const auto& p : prepare) {
    if (sqlite3_prepare_v3(db, p.sql, -1, SQLITE_PREPARE_PERSISTENT, p.statement, nullptr) !=
        SQLITE_OK) {
      return Fail(db, "prepare");
    }
  }

  // The last name visited, the bound of the next keyset query.
  char volume[kNameBytes + 1], subvolume[kNameBytes + 1], file[kNameBytes + 1];
  if (prefix.size() > kNameBytes) return Fail(db, "volume prefix too long");
  std::memcpy(volume, prefix.data(), prefix.size());
  int volume_len = static_cast<int>(prefix.size()), subvolume_len = 0, file_len = 0;
  volume[volume_len] = subvolume[0] = file[0] = 0;

  char name[kNameBytes * 3 + 3];
  unsigned char list[20000];
  unsigned char rebuilt[20000];
  struct {
    int length;
    char text[kNameBytes];
  } old_names[kMaxNames], new_names[kMaxNames];
  Report report;
  bool any_error = false;

  for (;;) {
    sqlite3_bind_text(st.next, 1, volume, volume_len, SQLITE_STATIC);
    sqlite3_bind_text(st.next, 2, subvolume, subvolume_len, SQLITE_STATIC);
    sqlite3_bind_text(st.next, 3, file, file_len, SQLITE_STATIC);
    sqlite3_bind_text(st.next, 4, above.data(), static_cast<int>(above.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(st.next);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) return Fail(db, "next name");
    volume_len = CopyText(st.next, 0, volume);
    subvolume_len = CopyText(st.next, 1, subvolume);
    file_len = CopyText(st.next, 2, file);
    sqlite3_reset(st.next);
    const int name_len = std::snprintf(name, sizeof name, "%s.%s.%s", volume, subvolume, file);

    sqlite3_bind_text(st.label, 1, volume, volume_len, SQLITE_STATIC);
    sqlite3_bind_text(st.label, 2, subvolume, subvolume_len, SQLITE_STATIC);
    sqlite3_bind_text(st.label, 3, file, file_len, SQLITE_STATIC);
    const int lrc = sqlite3_step(st.label);
    if (lrc == SQLITE_DONE) {  // purged since the name was read
      sqlite3_reset(st.label);
      continue;
    }
    if (lrc != SQLITE_ROW) return Fail(db, "read label");
    const int type = sqlite3_column_int(st.label, 0);
    int list_len = sqlite3_column_bytes(st.label, 1);
    if (list_len > static_cast<int>(sizeof list)) list_len = 0;
    if (list_len > 0) std::memcpy(list, sqlite3_column_blob(st.label, 1), list_len);
    sqlite3_reset(st.label);
    if (type <= 0) continue;

    report.Start(name, name_len > kNameBytes ? kNameBytes : name_len);
    const int n = list_len >= 2 ? Word(list, 0) : 0;
    if (n == 0) continue;
    const int lengths_at = 2 + 12 * n + 2;
    const int m = n > 0 && lengths_at <= list_len ? Word(list, lengths_at - 2) : -1;
    if (m == 0) {
      report.Add("OK");
      report.Write();
      continue;
    }
    // Take the names apart and move them; a list that does not add up is
    // reported as damaged, as KEYMEND reports it.
    bool damaged = m < 0 || m > kMaxNames || lengths_at + 2 * m > list_len;
    int at = lengths_at + 2 * m;
    bool changed = false;
    for (int i = 0; !damaged && i < m; ++i) {
      const int len = Word(list, lengths_at + 2 * i);
      if (len < 1 || len > kNameBytes || at + len > list_len) {
        damaged = true;
        break;
      }
      old_names[i].length = len;
      std::memcpy(old_names[i].text, list + at, static_cast<size_t>(len));
      at += len;
      const std::string_view old(old_names[i].text, static_cast<size_t>(len));
      const std::string_view id = old.substr(old.rfind('.') + 1);
      const int new_len = static_cast<int>(location.size() + 1 + id.size());
      if (new_len > kNameBytes) {
        damaged = true;
        break;
      }
      char* out = new_names[i].text;
      std::memcpy(out, location.data(), location.size());
      out[location.size()] = '.';
      std::memcpy(out + location.size() + 1, id.data(), id.size());
      new_names[i].length = new_len;
      changed = changed || new_len != len || std::memcmp(out, old_names[i].text, len) != 0;
    }
    if (damaged || at != list_len) {
      report.Add(" in error: ");
      report.Add(59);
      report.Write();
      any_error = true;
      continue;
    }
    if (!changed) {
      report.Add("OK");
      report.Write();
      continue;
    }
    if (listonly) {
      report.Add("to be modified");
      report.Write();
      for (int i = 0; i < m; ++i) {
        if (old_names[i].length == new_names[i].length &&
            std::memcmp(old_names[i].text, new_names[i].text, old_names[i].length) == 0) {
          continue;
        }
        report.Clear();
        report.Add("    ");
        report.Add(std::string_view(old_names[i].text, old_names[i].length));
        report.Add(" -> ");
        report.Add(std::string_view(new_names[i].text, new_names[i].length));
        report.Write();
      }
      continue;
    }
    // Rebuild from the lengths on and write it back in one transaction.
    std::memcpy(rebuilt, list, static_cast<size_t>(lengths_at));
    int rebuilt_len = lengths_at + 2 * m;
    for (int i = 0; i < m; ++i) {
      rebuilt[lengths_at + 2 * i] = static_cast<unsigned char>(new_names[i].length & 0xFF);
      rebuilt[lengths_at + 2 * i + 1] = static_cast<unsigned char>(new_names[i].length >> 8);
      std::memcpy(rebuilt + rebuilt_len, new_names[i].text, new_names[i].length);
      rebuilt_len += new_names[i].length;
    }
    sqlite3_bind_text(st.update, 1, volume, volume_len, SQLITE_STATIC);
    sqlite3_bind_text(st.update, 2, subvolume, subvolume_len, SQLITE_STATIC);
    sqlite3_bind_text(st.update, 3, file, file_len, SQLITE_STATIC);
    sqlite3_bind_blob(st.update, 4, rebuilt, rebuilt_len, SQLITE_STATIC);
    const int urc = sqlite3_step(st.update);
    const bool written = urc == SQLITE_DONE && sqlite3_changes(db) == 1;
    sqlite3_reset(st.update);
    if (written) {
      report.Add("modified");
    } else {
      report.Add(" in error: ");
      report.Add(urc == SQLITE_DONE ? 11 : urc);
      any_error = true;
    }
    report.Write();
  }

  sqlite3_finalize(st.next);
  sqlite3_finalize(st.label);
  sqlite3_finalize(st.update);
  sqlite3_close(db);
  return any_error ? 1 : 0;
}
