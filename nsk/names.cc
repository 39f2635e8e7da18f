// The name procedures work on NameParts: a name is split into its four
// slots (node, volume, subvolume, file id), the slots are changed, and the
// result is joined again. Every result is built in a local string first and
// copied out only when it is complete and fits, so that an output buffer
// may be the input buffer and a failed call writes nothing.
#include "nsk/names.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace nsk {
namespace {

constexpr int16_t kOk = 0;
constexpr int16_t kMissingParameter = 29;
constexpr int16_t kIllegalName = 13;
constexpr int16_t kBufferTooSmall = 563;
constexpr int16_t kBadValue = 590;

constexpr int kLevelNode = -1;
constexpr int kLevelVolume = 0;
constexpr int kLevelSubvolume = 1;
constexpr int kLevelFile = 2;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsRunWildCard(char c) { return c == '*' || c == '-' || c == '+'; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperCopy(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Upper(c);
  return out;
}

// Slot of a level, in NameParts order.
std::string* Slot(NameParts* parts, int level) {
  switch (level) {
    case kLevelNode:
      return &parts->node;
    case kLevelVolume:
      return &parts->volume;
    case kLevelSubvolume:
      return &parts->subvolume;
    default:
      return &parts->file;
  }
}

const std::string& Slot(const NameParts& parts, int level) {
  return *Slot(const_cast<NameParts*>(&parts), level);
}

// The present slots from `first` to `last` level, joined by dots.
std::string JoinLevels(const NameParts& parts, int first, int last) {
  std::string out;
  for (int level = first; level <= last; ++level) {
    const std::string& part = Slot(parts, level);
    if (part.empty()) continue;
    if (!out.empty()) out += '.';
    out += part;
  }
  return out;
}

// Copies `value` to `out` (room for `maxlen` bytes) and its length to
// `*out_length`; 563 and nothing written when it does not fit.
int16_t Deliver(const std::string& value, char* out, int16_t maxlen, int16_t* out_length) {
  if (maxlen < 0 || value.size() > static_cast<size_t>(maxlen)) return kBufferTooSmall;
  if (!value.empty()) std::memmove(out, value.data(), value.size());
  if (out_length != nullptr) *out_length = static_cast<int16_t>(value.size());
  return kOk;
}

// The defaults of a process split into parts, for completing names.
NameParts ProcessDefaults(const NameDefaults& d) {
  NameParts parts;
  parts.node = UpperCopy(d.node);
  parts.volume = UpperCopy(d.volume);
  parts.subvolume = UpperCopy(d.subvolume);
  return parts;
}

}  // namespace

bool IsWildCard(char c) {
  return c == '*' || c == '?' || c == '-' || c == '+' || c == '\'' || c == '~';
}

bool IsLegalPart(const std::string& text, char prefix, NameMode mode) {
  size_t start = 0;
  size_t limit = 8;
  if (prefix != 0) {
    if (text.empty() || text[0] != prefix) return false;
    start = 1;
    limit = 7;
  }
  if (text.size() <= start) return false;
  const bool wild = mode == NameMode::kWild;
  const char first = text[start];
  if (!IsLetter(first) && !(wild && IsWildCard(first))) return false;
  size_t counted = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    if (wild && IsWildCard(c)) {
      if (!IsRunWildCard(c)) ++counted;
    } else if (IsLetter(c) || IsDigit(c)) {
      ++counted;
    } else {
      return false;
    }
  }
  return counted <= limit;
}

std::string NameParts::Join() const { return JoinLevels(*this, kLevelNode, kLevelFile); }

int16_t SplitName(const char* text, int16_t length, NameMode mode, NameParts* parts) {
  if (text == nullptr || length <= 0) return kIllegalName;
  // At most four parts; a fifth means the name is illegal. The parts are
  // views of `text` until they are placed, so no name is copied twice.
  std::string_view tokens[4];
  size_t count = 0;
  const std::string_view whole(text, static_cast<size_t>(length));
  for (size_t start = 0;;) {
    const size_t dot = whole.find('.', start);
    const std::string_view token =
        whole.substr(start, dot == std::string_view::npos ? dot : dot - start);
    if (token.empty() || count == 4) return kIllegalName;
    tokens[count++] = token;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }

  NameParts out;
  bool qualifier = false;
  size_t next = 0;
  if (tokens[0][0] == '\\') {
    out.node = UpperCopy(tokens[0]);
    if (!IsLegalPart(out.node, '\\', mode)) return kIllegalName;
    next = 1;
    if (next < count && tokens[next][0] != '$') {
      return kIllegalName;
    }
  }
  if (next < count && tokens[next][0] == '$') {
    out.volume = UpperCopy(tokens[next++]);
    if (!IsLegalPart(out.volume, '$', mode)) return kIllegalName;
    if (next < count && tokens[next][0] == '#') {
      out.subvolume = UpperCopy(tokens[next++]);
      if (next != count || !IsLegalPart(out.subvolume, '#', mode)) {
        return kIllegalName;
      }
      qualifier = true;
    }
    const size_t plain = count - next;
    if (plain > 2) return kIllegalName;
    if (plain >= 1) out.subvolume = UpperCopy(tokens[next++]);
    if (plain == 2) out.file = UpperCopy(tokens[next++]);
  } else if (next == 0) {
    const size_t plain = count;
    if (plain > 2) return kIllegalName;
    if (plain == 2) out.subvolume = UpperCopy(tokens[next++]);
    out.file = UpperCopy(tokens[next++]);
  }
  if (next != count) return kIllegalName;
  if (!out.subvolume.empty() && !qualifier && !IsLegalPart(out.subvolume, 0, mode)) {
    return kIllegalName;
  }
  if (!out.file.empty() && !IsLegalPart(out.file, 0, mode)) return kIllegalName;
  *parts = std::move(out);
  return kOk;
}

NameRules::NameRules(NameDefaults defaults)
    : defaults_(std::move(defaults)), process_(ProcessDefaults(defaults_)) {}

int16_t NameRules::OldFileNameToFileName(const int16_t* oldfilename, char* filename, int16_t maxlen,
                                         int16_t* filename_length) const {
  if (oldfilename == nullptr || filename == nullptr) return kMissingParameter;
  char bytes[24];
  std::memcpy(bytes, oldfilename, sizeof bytes);

  // One 8-byte field: its text up to the first blank, which must be followed
  // by blanks only. False for a field with a blank inside its text.
  auto field = [&bytes](int index, std::string* text) {
    const char* f = bytes + 8 * index;
    size_t end = 0;
    while (end < 8 && f[end] != ' ') ++end;
    for (size_t i = end; i < 8; ++i) {
      if (f[i] != ' ') return false;
    }
    *text = UpperCopy(std::string_view(f, end));
    return true;
  };

  std::string volume, subvolume, file;
  if (!field(0, &volume) || !IsLegalPart(volume, '$', NameMode::kExact)) return kIllegalName;
  if (!field(1, &subvolume)) return kIllegalName;
  std::string name = volume;
  if (!subvolume.empty()) {
    const bool qualifier = subvolume[0] == '#';
    if (!IsLegalPart(subvolume, qualifier ? '#' : 0, NameMode::kExact)) return kIllegalName;
    name += '.';
    name += subvolume;
    // A third field that is no file id (a terminal's IN name, say) is
    // dropped: what remains is still a usable volume and subvolume.
    if (!qualifier && field(2, &file) && IsLegalPart(file, 0, NameMode::kExact)) {
      name += '.';
      name += file;
    }
  } else if (!field(2, &file) || !file.empty()) {
    return kIllegalName;
  }
  return Deliver(name, filename, maxlen, filename_length);
}

int16_t NameRules::Decompose(const char* filename, int16_t length, char* piece, int16_t maxlen,
                             int16_t* piece_length, int16_t level, std::optional<int16_t> options,
                             std::optional<int16_t> /*subpart*/) const {
  if (filename == nullptr || piece == nullptr) return kMissingParameter;
  if (level < kLevelNode || level > kLevelFile) return kBadValue;
  const int16_t how = options.value_or(0);
  if (how < 0 || how > 2) return kBadValue;
  NameParts parts;
  if (int16_t error = SplitName(filename, length, NameMode::kWild, &parts)) return error;
  std::string result;
  switch (how) {
    case 0:
      result = Slot(parts, level);
      break;
    case 1:
      result = JoinLevels(parts, level, kLevelFile);
      break;
    default:
      result = JoinLevels(parts, kLevelNode, level);
      break;
  }
  return Deliver(result, piece, maxlen, piece_length);
}

int16_t NameRules::Edit(char* filename, int16_t maxlen, int16_t* filename_length, const char* piece,
                        int16_t piece_length, int16_t level, std::optional<int16_t> options,
                        std::optional<int16_t> /*subpart*/) const {
  if (filename == nullptr || filename_length == nullptr || piece == nullptr) {
    return kMissingParameter;
  }
  if (level < kLevelNode || level > kLevelFile) return kBadValue;
  const int16_t how = options.value_or(0);
  if (how < 0 || how > 2) return kBadValue;
  if (*filename_length < 0 || *filename_length > maxlen) return kBadValue;

  NameParts name, replacement;
  if (int16_t error = SplitName(filename, *filename_length, NameMode::kExact, &name)) {
    return error;
  }
  if (int16_t error = SplitName(piece, piece_length, NameMode::kExact, &replacement)) {
    return error;
  }
  // The levels the piece stands for: up to `level` (options 2), from
  // `level` on (options 1), or `level` alone.
  const int first = how == 2 ? kLevelNode : level;
  const int last = how == 1 ? kLevelFile : level;
  int piece_first = kLevelFile + 1, piece_last = kLevelNode - 1;
  for (int l = kLevelNode; l <= kLevelFile; ++l) {
    if (Slot(replacement, l).empty()) continue;
    piece_first = std::min(piece_first, l);
    piece_last = std::max(piece_last, l);
  }
  // A piece without node or volume is placed from the right of its range:
  // "SALES" at level 1 is a subvolume, not a file id.
  if (replacement.node.empty() && replacement.volume.empty() && piece_last != last) {
    const int shift = last - piece_last;
    NameParts moved;
    for (int l = piece_first; l <= piece_last; ++l) {
      if (l + shift >= kLevelNode) *Slot(&moved, l + shift) = Slot(replacement, l);
    }
    piece_first += shift;
    piece_last += shift;
    replacement = moved;
  }
  if (piece_first < first || piece_last > last) return kIllegalName;

  // Inside the range, what the piece leaves out comes from the process's
  // defaults as for any partial name; a node or a file id is never made up.
  const NameParts& defaults = process_;
  NameParts result = name;
  for (int l = first; l <= last; ++l) {
    std::string value = Slot(replacement, l);
    if (value.empty() && l != kLevelNode && l != kLevelFile) value = Slot(defaults, l);
    *Slot(&result, l) = value;
  }
  // The result must read back as the same parts in the same places.
  const std::string joined = result.Join();
  NameParts check;
  if (SplitName(joined.data(), static_cast<int16_t>(joined.size()), NameMode::kExact, &check) !=
          kOk ||
      check.node != result.node || check.volume != result.volume ||
      check.subvolume != result.subvolume || check.file != result.file) {
    return kIllegalName;
  }
  return Deliver(joined, filename, maxlen, filename_length);
}

int16_t NameRules::Resolve(const char* partialname, int16_t length, char* fullname, int16_t maxlen,
                           int16_t* fullname_length, std::optional<int16_t> /*options*/,
                           const char* /*override_name*/,
                           std::optional<int16_t> /*override_length*/, const char* /*search*/,
                           std::optional<int16_t> /*search_length*/, const char* defaults,
                           std::optional<int16_t> defaults_length) const {
  if (partialname == nullptr || fullname == nullptr) return kMissingParameter;
  NameParts name;
  if (int16_t error = SplitName(partialname, length, NameMode::kWild, &name)) return error;

  NameParts given;  // from the `defaults` parameter
  if (defaults != nullptr && defaults_length.value_or(0) > 0) {
    if (SplitName(defaults, *defaults_length, NameMode::kExact, &given) != 0) return kIllegalName;
    // Defaults name a location: a node, a volume or a subvolume, never a
    // file and never a device qualifier.
    if (!given.file.empty() || (!given.subvolume.empty() && given.subvolume[0] == '#')) {
      return kIllegalName;
    }
  }
  const NameParts& process = process_;

  NameParts result = name;
  bool completed = false;  // a part came from the defaults
  if (result.node.empty() && !given.node.empty()) {
    result.node = given.node;
    completed = true;
  }
  if (name.volume.empty() && name.node.empty()) {
    result.volume = given.volume.empty() ? process.volume : given.volume;
    if (name.subvolume.empty()) {
      result.subvolume = given.subvolume.empty() ? process.subvolume : given.subvolume;
    }
    completed = true;
  }
  // Process defaults that are themselves unusable must not leak out as a
  // name no other procedure would accept. A name that took nothing from
  // them was legal when it was split.
  const std::string joined = result.Join();
  NameParts check;
  if (completed &&
      (joined.size() > 128 || SplitName(joined.data(), static_cast<int16_t>(joined.size()),
                                        NameMode::kWild, &check) != kOk)) {
    return kIllegalName;
  }
  return Deliver(joined, fullname, maxlen, fullname_length);
}

}  // namespace nsk
