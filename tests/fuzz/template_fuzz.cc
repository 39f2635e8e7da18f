// Both template translations and the system-pattern check on any text, into
// buffers of any capacity: nothing is written past the capacity, a success
// reports a length within it, the two translations agree on whether the
// template is well formed, and the result does not depend on the room
// beyond what it needs.
#include <cstring>
#include <string>
#include <vector>

#include "lib/template_translate.h"
#include "tests/fuzz/fuzz_input.h"

using keymend::fuzz::FuzzInput;

namespace {

constexpr char kGuard = '\x5A';

struct Translation {
  int16_t result;
  int16_t length;
  std::string pattern;
};

// Translates into a buffer of `capacity` bytes followed by guard bytes that
// must stay untouched.
Translation Translate(bool internal, const std::string& text, int16_t capacity) {
  std::vector<char> buffer(static_cast<size_t>(capacity) + 64, kGuard);
  int16_t length = -1;
  const int16_t result =
      internal ? keymend::TranslateToInternal(text.data(), static_cast<int16_t>(text.size()),
                                              buffer.data(), capacity, &length)
               : keymend::TranslateToSystem(text.data(), static_cast<int16_t>(text.size()),
                                            buffer.data(), capacity, &length);
  for (size_t i = static_cast<size_t>(capacity); i < buffer.size(); ++i) {
    FUZZ_CHECK(buffer[i] == kGuard);
  }
  if (result != 0) {
    FUZZ_CHECK(result == keymend::kBraceError || result == keymend::kPatternTooLong ||
               result == keymend::kBadGroupToken);
    FUZZ_CHECK(length == -1);
    return {result, length, ""};
  }
  FUZZ_CHECK(length >= 0 && length <= capacity);
  return {result, length, std::string(buffer.data(), static_cast<size_t>(length))};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const int16_t capacity = static_cast<int16_t>(in.Byte() | ((in.Byte() & 0x7) << 8));
  std::string text = in.Rest();
  if (text.size() > 4000) text.resize(4000);

  for (bool internal : {true, false}) {
    const Translation small = Translate(internal, text, capacity);
    const Translation roomy = Translate(internal, text, 8192);
    // A template's own faults do not depend on the room; the room can only
    // add "too long".
    if (small.result == 0) {
      FUZZ_CHECK(roomy.result == 0 && roomy.pattern == small.pattern);
    } else if (small.result != keymend::kPatternTooLong) {
      FUZZ_CHECK(roomy.result == small.result);
    }
    if (roomy.result == 0) {
      FUZZ_CHECK(small.result == 0 || small.result == keymend::kPatternTooLong);
      // A system pattern knows only the wild cards of the system search.
      if (!internal) {
        const int16_t shape = keymend::CheckSystemPattern(roomy.pattern.data(), roomy.length);
        FUZZ_CHECK(shape == 0 || shape == keymend::kBadNameShape);
      }
    }
  }
  const Translation internal = Translate(true, text, 8192);
  const Translation system = Translate(false, text, 8192);
  FUZZ_CHECK((internal.result == 0) == (system.result == 0));
  if (internal.result != 0) FUZZ_CHECK(internal.result == system.result);
  keymend::CheckSystemPattern(text.data(), static_cast<int16_t>(text.size()));
  return 0;
}
