// Makes a node of N files for the benchmarks, quickly: the node is created
// through the catalog and all its files are written in one transaction.
//
//   make_node DIRECTORY N [--volumes V] [--per-subvolume S] [--old LOCATION]
//
// The node (\BENCH, defaults $V1.USER) gets the volumes $V1 .. $V<V> (4 by
// default). Files are dealt out to subvolumes of S files (250 by default),
// S00001, S00002, ..., the subvolumes round the volumes in turn, so every
// volume holds about N / V files. Within a subvolume the files F0000,
// F0001, ... come in groups of ten:
//
//   F...0              a key-sequenced head file with 1 to 4 alternate keys
//                      (the groups cycle through 1, 2, 3, 4), each key in
//                      its own alternate-key file
//   F...1 .. F...k     its k alternate-key files: key-sequenced, no keys
//   the rest           unstructured (even numbers) or relative without
//                      alternate keys (odd numbers)
//
// So 10% of the files are head files, 25% alternate-key files, and the rest
// are about half unstructured, half relative: 67.5% are structured. The
// head files' labels name their alternate-key files at LOCATION (default
// $OLD.KEYS) with their own file ids: "$OLD.KEYS.F0001". That is the state
// after a restore, in which a run of KEYMEND with another location changes
// every head file.
//
// Prints one line: the number of files and of head files made.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "nsk/catalog.h"
#include "tools/alt_key_list.h"

namespace {

int Usage() {
  std::fputs("usage: make_node DIRECTORY N [--volumes V] [--per-subvolume S] [--old LOCATION]\n",
             stderr);
  return 2;
}

bool ParseCount(const char* text, long max, long* value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != 0 || v < 1 || v > max) return false;
  *value = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string directory = argv[1];
  long total = 0, volumes = 4, per_subvolume = 250;
  std::string old_location = "$OLD.KEYS";
  if (!ParseCount(argv[2], 10'000'000, &total)) return Usage();
  for (int i = 3; i < argc; ++i) {
    const std::string flag = argv[i];
    if (i + 1 == argc) return Usage();
    const char* value = argv[++i];
    if (flag == "--volumes") {
      if (!ParseCount(value, 9, &volumes)) return Usage();
    } else if (flag == "--per-subvolume") {
      if (!ParseCount(value, 9999, &per_subvolume)) return Usage();
    } else if (flag == "--old") {
      old_location = value;
    } else {
      return Usage();
    }
  }

  if ((total - 1) / per_subvolume + 1 > 99999) {
    std::fputs("make_node: more than 99999 subvolumes\n", stderr);
    return 2;
  }

  nsk::NodeSettings settings;
  settings.node_name = "\\BENCH";
  settings.default_volume = "$V1";
  std::unique_ptr<nsk::Catalog> catalog;
  nsk::Error e = nsk::Catalog::Create(directory, settings, nsk::CatalogOptions(), &catalog);
  for (long v = 1; e.ok() && v <= volumes; ++v) e = catalog->AddVolume("$V" + std::to_string(v));
  if (!e.ok()) {
    std::fprintf(stderr, "make_node: %s\n", e.message.c_str());
    return 1;
  }

  long made = 0, heads = 0;
  int alt_files_left = 0;  // alternate-key files still to make in this group
  e = catalog->CreateFiles([&](nsk::FileEntry* entry) {
    if (made == total) return false;
    const long subvolume = made / per_subvolume;
    const long index = made % per_subvolume;
    char name[64];
    std::snprintf(name, sizeof name, "$V%d.S%05d.F%04d", static_cast<int>(subvolume % volumes + 1),
                  static_cast<int>(subvolume + 1), static_cast<int>(index));
    entry->name = name;
    entry->file_code = 0;
    entry->altlist.clear();
    if (index % 10 == 0) {
      const int keys = static_cast<int>((index / 10) % 4) + 1;
      nsk::AltKeyList list;
      for (int k = 0; k < keys; ++k) {
        nsk::AltKey key;
        key.specifier = static_cast<int16_t>(('A' << 8) | ('A' + k));
        key.length = 8;
        key.offset = static_cast<int16_t>(8 * k);
        key.file_number = static_cast<int16_t>(k);
        list.keys.push_back(key);
        char file[32];
        std::snprintf(file, sizeof file, "F%04d", static_cast<int>(index + k + 1));
        list.files.push_back(old_location + "." + file);
      }
      entry->file_type = 3;
      entry->altlist = nsk::EncodeAltKeyList(list);
      alt_files_left = keys;
      ++heads;
    } else if (alt_files_left > 0) {
      entry->file_type = 3;
      --alt_files_left;
    } else {
      entry->file_type = index % 2 == 0 ? 0 : 1;
    }
    ++made;
    return true;
  });
  if (!e.ok()) {
    std::fprintf(stderr, "make_node: %s\n", e.message.c_str());
    return 1;
  }
  std::printf("%ld files, %ld head files\n", made, heads);
  return 0;
}
