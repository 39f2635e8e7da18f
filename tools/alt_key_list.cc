#include "tools/alt_key_list.h"

#include <charconv>

namespace nsk {
namespace {

void PutWord(std::string* out, int16_t word) {
  const uint16_t w = static_cast<uint16_t>(word);
  out->push_back(static_cast<char>(w & 0xFF));
  out->push_back(static_cast<char>(w >> 8));
}

class WordReader {
 public:
  explicit WordReader(const std::string& bytes) : bytes_(bytes) {}
  bool Word(int16_t* word) {
    if (bytes_.size() - at_ < 2) return false;
    const auto lo = static_cast<uint8_t>(bytes_[at_]);
    const auto hi = static_cast<uint8_t>(bytes_[at_ + 1]);
    *word = static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
    at_ += 2;
    return true;
  }
  bool Bytes(size_t n, std::string* out) {
    if (bytes_.size() - at_ < n) return false;
    *out = bytes_.substr(at_, n);
    at_ += n;
    return true;
  }
  size_t left() const { return bytes_.size() - at_; }

 private:
  const std::string& bytes_;
  size_t at_ = 0;
};

bool ParseWord(const std::string& text, int16_t* value) {
  int parsed = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
  if (ec != std::errc() || ptr != end || parsed < 0 || parsed > 32767) return false;
  *value = static_cast<int16_t>(parsed);
  return true;
}

}  // namespace

std::string EncodeAltKeyList(const AltKeyList& list) {
  std::string out;
  PutWord(&out, static_cast<int16_t>(list.keys.size()));
  for (const AltKey& k : list.keys) {
    for (int16_t w : {k.specifier, k.length, k.offset, k.file_number, k.null_value, k.attributes}) {
      PutWord(&out, w);
    }
  }
  PutWord(&out, static_cast<int16_t>(list.files.size()));
  for (const std::string& f : list.files) PutWord(&out, static_cast<int16_t>(f.size()));
  for (const std::string& f : list.files) out += f;
  return out;
}

std::string DecodeAltKeyList(const std::string& bytes, AltKeyList* list) {
  *list = AltKeyList();
  if (bytes.empty()) return "";
  WordReader in(bytes);
  int16_t n = 0;
  if (!in.Word(&n)) return "the key count is cut off";
  if (n < 0) return "the key count is " + std::to_string(n);
  for (int i = 0; i < n; ++i) {
    AltKey k;
    if (!in.Word(&k.specifier) || !in.Word(&k.length) || !in.Word(&k.offset) ||
        !in.Word(&k.file_number) || !in.Word(&k.null_value) || !in.Word(&k.attributes)) {
      return "the list ends inside key descriptor " + std::to_string(i) + " of " +
             std::to_string(n);
    }
    list->keys.push_back(k);
  }
  int16_t m = 0;
  if (!in.Word(&m)) return "the file count is missing";
  if (m < 0) return "the file count is " + std::to_string(m);
  std::vector<int16_t> lengths(static_cast<size_t>(m));
  for (int16_t& length : lengths) {
    if (!in.Word(&length)) return "the list ends inside the name lengths";
    if (length < 0) return "a name length is " + std::to_string(length);
  }
  for (size_t i = 0; i < lengths.size(); ++i) {
    std::string name;
    if (!in.Bytes(static_cast<size_t>(lengths[i]), &name)) {
      return "the list ends inside file name " + std::to_string(i);
    }
    list->files.push_back(name);
  }
  if (in.left() != 0) return std::to_string(in.left()) + " bytes follow the last name";
  return "";
}

std::string ParseAltKeyOption(const std::string& text, AltKey* key) {
  const std::string form = "\"" + text + "\" is not SPEC:LEN:OFFSET:FILENO";
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t colon = text.find(':', start);
    fields.push_back(text.substr(start, colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (fields.size() != 4) return form;
  if (fields[0].size() != 2) return form + " (SPEC is two characters)";
  AltKey parsed;
  parsed.specifier = static_cast<int16_t>(static_cast<uint8_t>(fields[0][0]) << 8 |
                                          static_cast<uint8_t>(fields[0][1]));
  if (!ParseWord(fields[1], &parsed.length) || !ParseWord(fields[2], &parsed.offset) ||
      !ParseWord(fields[3], &parsed.file_number)) {
    return form + " (LEN, OFFSET and FILENO are numbers 0 to 32767)";
  }
  *key = parsed;
  return "";
}

std::string ParseHex(const std::string& text, std::string* bytes) {
  std::string out;
  int high = -1;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::string("'") + c + "' is not a hexadecimal digit";
    }
    if (high < 0) {
      high = digit;
    } else {
      out.push_back(static_cast<char>(high << 4 | digit));
      high = -1;
    }
  }
  if (high >= 0) return "an odd number of hexadecimal digits";
  *bytes = std::move(out);
  return "";
}

std::string SpecifierText(int16_t specifier) {
  const uint16_t w = static_cast<uint16_t>(specifier);
  std::string text;
  for (unsigned c : {static_cast<unsigned>(w >> 8), static_cast<unsigned>(w & 0xFF)}) {
    text.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
  }
  return text;
}

}  // namespace nsk
