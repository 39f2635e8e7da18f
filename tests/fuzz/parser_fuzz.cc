// PARSER on any text with any lists and options: every token lies inside
// TEXT, the table is filled from the front without gaps, TEXT ends with its
// NUL, and the text itself is changed only as the options allow.
#include <cstring>
#include <string>

#include "lib/parser.h"
#include "tests/fuzz/fuzz_input.h"

using keymend::fuzz::FuzzInput;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t options = in.Byte();
  const std::string separators = in.Bytes(4);
  const std::string blanks = in.Bytes(4);
  std::string text = in.Rest();
  if (text.size() > 32767) text.resize(32767);
  const std::string original = text;

  keymend::TokenTable table;
  std::memset(&table, 0xA5, sizeof table);
  int16_t cut = 7;
  // Counts may be given larger than 0 only as far as the lists reach.
  keymend::PARSER(text.data(), static_cast<int16_t>(text.size()), &table, separators.data(),
                  static_cast<int16_t>(options & 0x10 ? -1 : separators.size()), blanks.data(),
                  static_cast<int16_t>(options & 0x20 ? 0 : blanks.size()),
                  options & 1 ? std::optional<int16_t>(0) : std::nullopt,
                  options & 2 ? std::optional<int16_t>(-1) : std::nullopt,
                  options & 4 ? &cut : nullptr);

  FUZZ_CHECK(table.COUNT >= 0 && table.COUNT <= keymend::kTokenEntries);
  FUZZ_CHECK(!(options & 4) || cut == 0 || cut == -1);
  const char* begin = table.TEXT;
  const char* end = table.TEXT + keymend::kTokenTextSize;
  FUZZ_CHECK(std::memchr(table.TEXT, 0, keymend::kTokenTextSize) != nullptr);
  for (int i = 0; i < table.COUNT; ++i) {
    const keymend::TokenEntry& t = table.TOKEN[i];
    FUZZ_CHECK(t.LEN > 0);
    FUZZ_CHECK(t.PTR >= begin && t.PTR + t.LEN < end);
    FUZZ_CHECK(std::memchr(t.PTR, 0, t.LEN) == nullptr);
    if (i > 0) FUZZ_CHECK(t.PTR > table.TOKEN[i - 1].PTR);
  }
  if (table.COUNT < keymend::kTokenEntries) {
    const keymend::TokenEntry& first_empty = table.TOKEN[table.COUNT];
    FUZZ_CHECK(first_empty.LEN == 0);
    FUZZ_CHECK(first_empty.PTR >= begin && first_empty.PTR < end && *first_empty.PTR == 0);
  }
  // Only the quoted-blanks option writes into the text, and then only
  // blanks in place of marks and marks in place of blanks.
  FUZZ_CHECK(text.size() == original.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == original[i]) continue;
    FUZZ_CHECK(options & 1);
    FUZZ_CHECK(text[i] == ' ' && static_cast<unsigned char>(original[i]) == keymend::kBlankMark);
  }
  return 0;
}
