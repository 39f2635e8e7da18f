#include "nsk/labels.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace nsk {

// The catalog stores label words little-endian and hands them to the
// program as they are.
static_assert(std::endian::native == std::endian::little,
              "the emulated platform supports little-endian hosts only");

namespace {

constexpr int16_t kFirstItem = 100;  // alternate-key count
constexpr int16_t kLastItem = 104;   // alternate-key file names
constexpr int16_t kPhysicalRecordLength = 4096;

int Word(std::string_view bytes, size_t at) {
  return static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) |
                              (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

// The stored bytes of each of items 100 to 104, cut as labels.h describes:
// views of the stored bytes, which must outlive them.
struct Items {
  std::string_view value[5];
};

Items CutItems(std::string_view stored) {
  static constexpr char kNoKeys[4] = {0, 0, 0, 0};
  if (stored.empty()) stored = std::string_view(kNoKeys, sizeof kNoKeys);
  Items items;
  size_t at = 0;
  auto take = [&stored, &at](size_t n) {
    const size_t count = std::min(n, stored.size() - at);
    const std::string_view piece = stored.substr(at, count);
    at += count;
    return piece;
  };
  auto count_at = [&stored](size_t offset) {
    return offset + 2 <= stored.size() ? std::max(0, Word(stored, offset)) : 0;
  };
  const int n = count_at(0);
  items.value[0] = take(2);
  items.value[1] = take(12 * static_cast<size_t>(n));
  const int m = count_at(at);
  items.value[2] = take(2);
  items.value[3] = take(2 * static_cast<size_t>(m));
  items.value[4] = stored.substr(at);
  return items;
}

// 0 when `list` is a well-formed items 100 to 104 list, else 21 with the
// index of the item at fault in *item.
int16_t CheckList(const std::string& list, int16_t* item) {
  auto fail = [item](int16_t index) {
    *item = index;
    return err::kIllegalCount;
  };
  size_t at = 0;
  if (list.size() < 2) return fail(0);
  const int n = Word(list, 0);
  if (n < 0) return fail(0);
  at = 2 + 12 * static_cast<size_t>(n);
  if (list.size() < at) return fail(1);
  if (list.size() < at + 2) return fail(2);
  const int m = Word(list, at);
  if (m < 0) return fail(2);
  at += 2;
  if (list.size() < at + 2 * static_cast<size_t>(m)) return fail(3);
  std::vector<int> lengths;
  size_t total = 0;
  for (int i = 0; i < m; ++i) {
    const int length = Word(list, at + 2 * i);
    if (length < 1 || length > 35) return fail(3);
    lengths.push_back(length);
    total += length;
  }
  at += 2 * static_cast<size_t>(m);
  if (list.size() != at + total) return fail(list.size() < at + total ? 3 : 4);
  for (int length : lengths) {
    NameParts parts;
    if (SplitName(list.data() + at, static_cast<int16_t>(length), NameMode::kExact, &parts) != 0 ||
        parts.volume.empty() || parts.subvolume.empty() || parts.file.empty() ||
        parts.subvolume[0] == '#') {
      return fail(4);
    }
    at += length;
  }
  return err::kNone;
}

}  // namespace

bool ParseUser(const std::string& text, User* user) {
  const size_t dot = text.find('.');
  if (dot == std::string::npos) return false;
  std::string group = text.substr(0, dot), name = text.substr(dot + 1);
  for (std::string* s : {&group, &name}) {
    for (char& c : *s) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (!IsLegalPart(*s, 0, NameMode::kExact)) return false;
  }
  user->group = group;
  user->name = name;
  return true;
}

Error ProcessUser(User* user) {
  const char* text = std::getenv("NSK_USER");
  if (text == nullptr || *text == 0) {
    *user = User{};
    return Ok();
  }
  if (!ParseUser(text, user)) {
    return Fail(err::kBadParameterValue,
                std::string("NSK_USER must be GROUP.USER, not \"") + text + "\"");
  }
  return Ok();
}

bool MayAccess(const User& user, const std::string& owner, const std::string& security,
               Access access) {
  if (user.IsSuper()) return true;
  User file_owner;
  if (security.size() != 4 || !ParseUser(owner, &file_owner)) return false;
  switch (security[static_cast<int>(access)]) {
    case 'A':
      return true;
    case 'G':
      return user.group == file_owner.group;
    case 'O':
      return user.group == file_owner.group && user.name == file_owner.name;
    default:
      return false;
  }
}

int16_t Labels::FullName(const char* filename, int16_t length, std::string* name) const {
  if (filename == nullptr) return err::kMissingParameter;
  char full[64];
  int16_t full_length = 0;
  if (rules_->Resolve(filename, length, full, sizeof full, &full_length, {}, nullptr, {}, nullptr,
                      {}, nullptr, {}) != 0) {
    return err::kIllegalName;
  }
  for (int16_t i = 0; i < full_length; ++i) {
    if (IsWildCard(full[i])) return err::kIllegalName;
  }
  name->assign(full, full_length);
  return err::kNone;
}

int16_t Labels::GetInfoByName(const char* filename, int16_t length, int16_t* typeinfo,
                              int16_t* physical_recordlen, std::optional<int16_t> /*options*/,
                              std::optional<int32_t> /*timeout*/) {
  if (typeinfo == nullptr) return err::kMissingParameter;
  if (int16_t e = FullName(filename, length, &name_)) return e;
  int16_t file_type = 0, file_code = 0;
  if (Error e = catalog_->GetFileType(name_, &file_type, &file_code); !e.ok()) return e.code;
  const int16_t info[5] = {kDeviceTypeDisk, 0, 0, file_type, file_code};
  std::memcpy(typeinfo, info, sizeof info);
  if (physical_recordlen != nullptr) *physical_recordlen = kPhysicalRecordLength;
  return err::kNone;
}

int16_t Labels::GetInfoListByName(const char* filename, int16_t length, const int16_t* itemlist,
                                  int16_t numberitems, int16_t* result, int16_t result_max,
                                  int16_t* result_length, int16_t* error_item) {
  auto fail = [error_item](int16_t error, int index) {
    if (error_item != nullptr) *error_item = static_cast<int16_t>(index);
    return error;
  };
  if (numberitems < 0) return fail(err::kBadParameterValue, 0);
  if (numberitems > 0 && (itemlist == nullptr || result == nullptr)) {
    return err::kMissingParameter;
  }
  for (int i = 0; i < numberitems; ++i) {
    if (itemlist[i] < kFirstItem || itemlist[i] > kLastItem) {
      return fail(err::kBadParameterValue, i);
    }
  }
  if (int16_t e = FullName(filename, length, &name_)) return e;
  if (Error e = catalog_->GetAltList(name_, &stored_); !e.ok()) return e.code;

  const Items items = CutItems(stored_);
  size_t size = 0;
  for (int i = 0; i < numberitems; ++i) {
    size += items.value[itemlist[i] - kFirstItem].size();
    if (result_max < 0 || size > static_cast<size_t>(result_max)) {
      return fail(err::kBufferTooSmall, i);
    }
  }
  char* out = reinterpret_cast<char*>(result);
  for (int i = 0; i < numberitems; ++i) {
    const std::string_view value = items.value[itemlist[i] - kFirstItem];
    if (!value.empty()) std::memcpy(out, value.data(), value.size());
    out += value.size();
  }
  if (result_length != nullptr) *result_length = static_cast<int16_t>(size);
  return err::kNone;
}

int16_t Labels::AlterList(const char* filename, int16_t length, const int16_t* itemlist,
                          int16_t numberitems, const int16_t* values, int16_t valueslen,
                          std::optional<int16_t> /*partonly*/, int16_t* error_item) {
  int16_t item = 0;
  auto fail = [error_item, &item](int16_t error) {
    if (error_item != nullptr) *error_item = item;
    return error;
  };
  if (itemlist == nullptr || (values == nullptr && valueslen > 0)) return err::kMissingParameter;
  for (item = 0; item < 5; ++item) {
    if (item >= numberitems || itemlist[item] != kFirstItem + item) {
      return fail(err::kBadParameterValue);
    }
  }
  item = 5;
  if (numberitems != 5) return fail(err::kBadParameterValue);
  item = 0;
  if (valueslen < 0) return fail(err::kBadParameterValue);
  const std::string list =
      valueslen > 0 ? std::string(reinterpret_cast<const char*>(values), valueslen) : "";
  if (int16_t e = CheckList(list, &item)) return fail(e);

  if (int16_t e = FullName(filename, length, &name_)) return e;
  const User& user = user_;
  Error e = catalog_->ReplaceAltList(name_, list, [&user](const FileEntry& stored) -> int16_t {
    return MayAccess(user, stored.owner, stored.security, Access::kWrite) ? err::kNone
                                                                          : err::kSecurity;
  });
  return e.code;
}

}  // namespace nsk
