#include "adjust/alternate_keys.h"

#include <cstring>

#include "sys/guardian.h"

namespace keymend {
namespace {

constexpr int kListWords = 10000;
constexpr int16_t kListReadMax = 10000;  // bytes: half the list buffer
constexpr int kNameBytes = 36;

struct NameEntry {
  int16_t len;
  char name[kNameBytes];
};

void SetStatus(int16_t* status, int16_t value) {
  if (status != nullptr) *status = value;
}

}  // namespace

int16_t ADJUSTALTERNATEKEYFILES(const char* filename, int16_t filenamelen, const char* location,
                                int16_t locationlen, int16_t* status,
                                std::optional<int16_t> listonly, AltFileNameChanges* changes) {
  const int16_t itemlist[5] = {sys::kItemAltKeyCount, sys::kItemAltKeyDescriptors,
                               sys::kItemAltFileCount, sys::kItemAltFileNameLengths,
                               sys::kItemAltFileNames};
  int16_t typeinfo[5] = {};
  int16_t list[kListWords];
  int16_t listlen = 0;
  int16_t saved[kListWords];
  NameEntry names[kMaxAltFiles];
  char piece[kNameBytes];
  int16_t piecelen = 0;
  int16_t erroritem = 0;

  if (changes != nullptr) changes->count = 0;

  int16_t error = sys::FILE_GETINFOBYNAME_(filename, filenamelen, typeinfo);
  if (error != 0) {
    SetStatus(status, -1);
    return error;
  }
  if (typeinfo[3] <= 0) {
    SetStatus(status, -1);
    return 0;
  }

  error = sys::FILE_GETINFOLISTBYNAME_(filename, filenamelen, itemlist, 5, list, kListReadMax,
                                       &listlen, &erroritem);
  if (error >= 10) {
    SetStatus(status, 0);
    return error;
  }

  // The list is taken apart only where its counts and lengths lie within
  // the bytes read.
  auto damaged = [&]() -> int16_t {
    SetStatus(status, 0);
    return kErrorDamagedLabel;
  };
  if (listlen < 2 || listlen > kListReadMax) return damaged();
  const int listwords = listlen / 2;
  const int n = list[0];
  if (n == 0) {
    SetStatus(status, -1);
    return 0;
  }
  if (n < 0 || 6 * n + 2 > listwords) return damaged();
  std::memcpy(saved, list, static_cast<size_t>(listlen));

  const int m = list[6 * n + 1];
  if (m == 0) {
    SetStatus(status, 0);
    return 0;
  }
  const int lengths_at = 6 * n + 2;  // word index of the first length
  if (m < 0 || m > kMaxAltFiles || lengths_at + m > listwords) return damaged();
  const int names_at = 2 * (lengths_at + m);  // byte index of the first name
  const char* listbytes = reinterpret_cast<const char*>(list);
  int offset = names_at;
  for (int i = 0; i < m; ++i) {
    const int len = list[lengths_at + i];
    if (len < 0 || len > kNameBytes || offset + len > listlen) return damaged();
    names[i].len = static_cast<int16_t>(len);
    std::memcpy(names[i].name, listbytes + offset, static_cast<size_t>(len));
    offset += len;
  }
  // Bytes after the last name belong to no item we know; the rebuilt list
  // would leave them out.
  if (offset != listlen) return damaged();

  if (location != nullptr && locationlen > 0) {
    piecelen = locationlen > kNameBytes ? kNameBytes : locationlen;
    std::memcpy(piece, location, static_cast<size_t>(piecelen));
  } else {
    error = sys::FILENAME_DECOMPOSE_(filename, filenamelen, piece, kNameBytes, &piecelen, 1, 2);
    if (error != 0) return error;
  }

  NameEntry before[kMaxAltFiles];
  if (changes != nullptr) std::memcpy(before, names, sizeof(NameEntry) * static_cast<size_t>(m));
  for (int i = 0; i < m; ++i) {
    sys::FILENAME_EDIT_(names[i].name, kNameBytes, &names[i].len, piece, piecelen, 1, 2);
    // The name table holds 36 bytes a name, whatever the call reports.
    if (names[i].len < 0 || names[i].len > kNameBytes) names[i].len = 0;
  }

  // Rebuild from the lengths on; N, the descriptors and M stay as read.
  char* out = reinterpret_cast<char*>(list);
  int newlen = 2 * lengths_at;
  for (int i = 0; i < m; ++i) list[lengths_at + i] = names[i].len;
  newlen += 2 * m;
  for (int i = 0; i < m; ++i) {
    std::memcpy(out + newlen, names[i].name, static_cast<size_t>(names[i].len));
    newlen += names[i].len;
  }

  if (newlen == listlen && std::memcmp(list, saved, static_cast<size_t>(listlen)) == 0) {
    SetStatus(status, 0);
    return 0;
  }

  if (changes != nullptr) {
    for (int i = 0; i < m; ++i) {
      if (before[i].len == names[i].len &&
          std::memcmp(before[i].name, names[i].name, static_cast<size_t>(names[i].len)) == 0) {
        continue;
      }
      AltFileNameChange& c = changes->change[changes->count++];
      c.oldlen = before[i].len;
      std::memcpy(c.oldname, before[i].name, static_cast<size_t>(before[i].len));
      c.newlen = names[i].len;
      std::memcpy(c.newname, names[i].name, static_cast<size_t>(names[i].len));
    }
  }

  if (listonly && *listonly != 0) {
    SetStatus(status, 2);
    return 0;
  }
  error = sys::FILE_ALTERLIST_(filename, filenamelen, itemlist, 5, list,
                               static_cast<int16_t>(newlen), std::nullopt, &erroritem);
  SetStatus(status, 1);
  return error < 10 ? 0 : error;
}

}  // namespace keymend
