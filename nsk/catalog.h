// The node's catalog: one SQLite database that holds the node's settings,
// its disk volumes, every file with its label, and the records of
// entry-sequenced files. docs/CATALOG.md gives the schema and why it is so.
//
// Where the node lives: the directory $NSK_ROOT, else $XDG_DATA_HOME/nsk,
// else $HOME/.local/share/nsk. It holds catalog.db (and SQLite's -wal and
// -shm files beside it while a connection is open). The database is opened
// with a WAL journal, synchronous=FULL, foreign keys on and a busy timeout;
// a file created by the catalog is readable and writable by its owner only.
//
// Names given to the catalog are full file names in external form:
// "$VOL.SUBVOL.FILEID", optionally with the local node in front
// ("\NODE.$VOL.SUBVOL.FILEID"). Case is ignored; the catalog stores and
// hands back upper case, without the node part. Completing partial names is
// the caller's job (nsk::NameRules::Resolve with Defaults()).
//
// Every method returns an Error: code 0 for success, else a Guardian error
// number with a message for people. "Not found" (11) is kept apart from
// failures of the store itself (40, 43, 45, 59, 122, ...). Out-parameters
// are written only on success unless a method says otherwise.
//
// A Catalog is one connection; it is not safe to use from two threads at
// once. Any number of processes may open the same node: SQLite's locks keep
// them apart, and a writer that waits longer than the busy timeout fails
// with 40.
#ifndef KEYMEND_NSK_CATALOG_H_
#define KEYMEND_NSK_CATALOG_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "nsk/host_errors.h"
#include "nsk/names.h"

namespace nsk {

// Device type of every file in the catalog: all are disk files.
constexpr int16_t kDeviceTypeDisk = 3;

// The directory of the node, from the environment as described above.
// Empty when none of the variables is set.
std::string NodeDirectory();

// The node-wide settings, fixed when the node is created.
struct NodeSettings {
  std::string node_name = "\\NODE";            // "\" + 1 to 7 letters/digits, first a letter
  int16_t os_version = (('H' + 10) << 8) | 6;  // series letter + 10, release: "H06"
  int16_t os_update = 29;                      // update number: ".29"
  std::string default_volume = "$DATA";        // process defaults unless NSK_DEFAULTS
  std::string default_subvolume = "USER";
};

// Settings for a new node: the host name (its first label, upper case, cut
// to 7 characters) as node name when it makes a legal node name, else
// "\NODE"; the other fields as above.
NodeSettings DefaultNodeSettings();

// "H06.29" into the two version words. False, and outputs untouched, when
// `text` is not a letter, two digits, a dot and one or two digits (release
// and update 0 to 99).
bool ParseOsVersion(const std::string& text, int16_t* version, int16_t* update);

// The two version words as "H06.29".
std::string FormatOsVersion(int16_t version, int16_t update);

// A file and its label as stored.
struct FileEntry {
  std::string name;       // "$VOL.SUBVOL.FILEID", upper case
  int16_t file_type = 3;  // 0 unstructured, 1 relative, 2 entry-sequenced, 3 key-sequenced
  int16_t file_code = 0;
  std::string owner = "SUPER.SUPER";  // GROUP.USER
  std::string security = "AAAA";      // read, write, execute, purge: each A, G, O or -
  std::string altlist;                // items 100 to 104 exactly as stored (words little-endian)
};

// The three parts of a file name, upper case, as the catalog orders them:
// by volume, then subvolume, then file id.
struct FileKey {
  std::string volume;  // with its "$"
  std::string subvolume;
  std::string file;

  std::string Name() const { return volume + "." + subvolume + "." + file; }
};

// A file-level search pattern: one pattern per part, upper case. In a part,
// "*", "-" and "+" stand for any run of characters (up to the 8 a part can
// hold) and "?", "'" and "~" for any one character; every other character
// stands for itself. The finer meaning of "-", "+", "'" and "~" (letters or
// digits only) is left to the caller's own filter.
struct FilePattern {
  std::string volume = "*";
  std::string subvolume = "*";
  std::string file = "*";
};

struct CatalogOptions {
  int busy_timeout_ms = 5000;  // how long a statement waits for another connection's lock
};

class Catalog {
 public:
  ~Catalog();
  Catalog(const Catalog&) = delete;
  Catalog& operator=(const Catalog&) = delete;

  // Opens the existing node in `directory`. Never creates anything: a
  // missing directory or catalog gives 14 with a message naming the path
  // and "nskfile init"; a damaged catalog (not a database, truncated,
  // tables missing) gives 59. Stores the catalog in *catalog on success,
  // nullptr on error.
  static Error Open(const std::string& directory, const CatalogOptions& options,
                    std::unique_ptr<Catalog>* catalog);

  // Creates a node in `directory` (made, mode 0700, when it does not exist)
  // with `settings` and the volumes $SYSTEM and $DATA, and opens it. A node
  // that exists already gives 10 and is left alone; illegal settings give
  // 13 (names) or 590 (version words). Stores the catalog in *catalog on
  // success, nullptr on error.
  static Error Create(const std::string& directory, const NodeSettings& settings,
                      const CatalogOptions& options, std::unique_ptr<Catalog>* catalog);

  const std::string& directory() const { return directory_; }
  std::string path() const;  // of catalog.db

  // The settings the node was created with.
  const NodeSettings& settings() const { return settings_; }

  // The node's default volume and subvolume with its node name: what
  // completes partial names when the process has no NSK_DEFAULTS.
  NameDefaults Defaults() const;

  // Applies to statements run from now on. For tests.
  void SetBusyTimeout(int milliseconds);

  // ---- Volumes ------------------------------------------------------------

  // Adds volume `name` ("$" + 1 to 7 letters/digits, first a letter; case
  // ignored). 13 illegal name, 10 when it exists.
  Error AddVolume(const std::string& name);

  // All volumes, upper case, in ascending order.
  Error ListVolumes(std::vector<std::string>* volumes);

  // *exists tells whether volume `name` exists (false for an illegal name).
  Error VolumeExists(const std::string& name, bool* exists);

  // ---- Files --------------------------------------------------------------

  // Creates the file described by `entry` (its name a full file name).
  // 13 illegal name, owner or security string; 590 a file type outside 0
  // to 3; 14 when the volume does not exist; 10 when the file exists.
  Error CreateFile(const FileEntry& entry);

  // Creates the files that `next` describes, all in one transaction: `next`
  // fills *entry and returns true for each file, false when none is left.
  // Each file is checked as CreateFile checks it. All or nothing: on the
  // first error (CreateFile's error for that file, or the store's) no file
  // of the batch is created. For making large nodes quickly.
  Error CreateFiles(const std::function<bool(FileEntry*)>& next);

  // The file `name`, label and all. 13 illegal name, 11 missing.
  Error GetFile(const std::string& name, FileEntry* entry);

  // The file type and file code of `name`: GetFile without the rest, for
  // callers that need nothing else. 13 illegal name, 11 missing.
  Error GetFileType(const std::string& name, int16_t* file_type, int16_t* file_code);

  // Items 100 to 104 of `name` exactly as stored into *altlist, whose
  // storage is reused. 13 illegal name, 11 missing.
  Error GetAltList(const std::string& name, std::string* altlist);

  // Copies the file `from`, its label unchanged (alternate-key names still
  // say what they said) and its records, to the new name `to`. 11 when
  // `from` is missing, 14 when the volume of `to` does not exist, 10 when
  // `to` exists, 13 for an illegal name.
  Error CopyFile(const std::string& from, const std::string& to);

  // Removes the file `name` and its records. 13 illegal name, 11 missing.
  Error PurgeFile(const std::string& name);

  // Up to `limit` names matching `pattern`, in catalog order, each greater
  // than `after` (nullptr: from the start). *keys is replaced; fewer than
  // `limit` keys mean that no more names follow. Each call is a statement
  // of its own: nothing stays locked between calls. REQUIRES: limit > 0.
  Error NextFiles(const FilePattern& pattern, const FileKey* after, int limit,
                  std::vector<FileKey>* keys);

  // Calls `visit` for every file matching `pattern`, in catalog order,
  // while it returns true. `pattern` is a name pattern in external form
  // with the wild cards of FilePattern, completed from Defaults() when
  // partial ("*" is every file of the default subvolume); a node part must
  // be the local node. 13 when the pattern is illegal. Files are read in
  // pages, so the visitor may create and purge files as it goes.
  Error ForEachFile(const std::string& pattern, const std::function<bool(const FileEntry&)>& visit);

  // ---- Labels -------------------------------------------------------------

  // Decides, inside one write transaction, whether the alternate-key items
  // of `name` may be replaced: called with the file as stored, it returns 0
  // to go on or the error to fail with.
  using AlterCheck = std::function<int16_t(const FileEntry&)>;

  // Replaces items 100 to 104 of `name` by `altlist`, in one transaction
  // that is durable when this returns 0: `check` runs first, inside the
  // transaction, on the file as stored. On any error the stored label is
  // exactly what it was. 13 illegal name, 11 missing, 40 when the catalog
  // stays locked past the busy timeout, the error of `check`, or the error
  // of the store.
  Error ReplaceAltList(const std::string& name, const std::string& altlist,
                       const AlterCheck& check);

  // ---- Records of entry-sequenced files -------------------------------------

  // Appends one record to file `name`. 11 missing; 2 when the file is not
  // entry-sequenced.
  Error AppendRecord(const std::string& name, const std::string& record);

  // Calls `visit` with every record of file `name`, oldest first, while it
  // returns true. 11 missing; 2 when the file is not entry-sequenced.
  Error ReadRecords(const std::string& name, const std::function<bool(const std::string&)>& visit);

 private:
  struct Rep;
  explicit Catalog(std::unique_ptr<Rep> rep);

  std::unique_ptr<Rep> rep_;
  std::string directory_;
  NodeSettings settings_;
};

}  // namespace nsk

#endif  // KEYMEND_NSK_CATALOG_H_
