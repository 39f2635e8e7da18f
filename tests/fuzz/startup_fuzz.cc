// GETSTARTUP with any startup message, then GETUSERVALUES on what it made,
// over the recording fake: the globals stay within their buffers, the run
// either goes on with a template and a location or stops with completion
// code 2 after its message and the hint line, and nothing reads or writes
// outside a buffer.
#include <cstring>
#include <string>
#include <vector>

#include "driver/globals.h"
#include "driver/startup.h"
#include "driver/user_values.h"
#include "sys/fake_guardian.h"
#include "sys/guardian.h"
#include "tests/fuzz/fuzz_input.h"

using keymend::fuzz::FuzzInput;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65534) return 0;
  FuzzInput in(data, size);
  const uint8_t how = in.Byte();
  std::string bytes = in.Rest();
  // Either the message exactly as given, or a well-formed head (so that the
  // parameter string is reached with a sound default location) and the
  // given bytes as parameters.
  if (how & 1) {
    std::string head = "\xff\xff$DATA   USER    $TERM   #HOME           $TERM   #HOME           ";
    bytes = head + bytes;
  }
  if (bytes.size() > 32767) bytes.resize(32767);
  std::vector<int16_t> words((bytes.size() + 1) / 2 + 1, 0);
  std::memcpy(words.data(), bytes.data(), bytes.size());

  sys::FakeGuardian fake;
  sys::Guardian* previous = sys::install(&fake);
  keymend::ResetGlobals();
  sys::FILE_OPEN_("$TERM.#HOME", 11, &keymend::OUTFNUM);

  keymend::GETSTARTUP(nullptr, nullptr, words.data(), static_cast<int16_t>(bytes.size()), 0);
  FUZZ_CHECK(keymend::OUTFILENAMELEN >= 0 && keymend::OUTFILENAMELEN <= keymend::kNameBytes);
  FUZZ_CHECK(keymend::DEFAULTLOCATIONLEN >= 0 &&
             keymend::DEFAULTLOCATIONLEN <= keymend::kNameBytes);
  FUZZ_CHECK(keymend::TOKENTABLE.COUNT >= 0 && keymend::TOKENTABLE.COUNT <= keymend::kTokenEntries);
  for (int i = 0; i < keymend::TOKENTABLE.COUNT; ++i) {
    const keymend::TokenEntry& t = keymend::TOKENTABLE.TOKEN[i];
    FUZZ_CHECK(t.PTR >= keymend::TOKENTABLE.TEXT &&
               t.PTR + t.LEN < keymend::TOKENTABLE.TEXT + keymend::kTokenTextSize);
  }

  bool stopped = false;
  try {
    keymend::GETUSERVALUES();
  } catch (const sys::ProcessEnded& ended) {
    stopped = true;
    FUZZ_CHECK(ended.how == sys::ProcessEnded::How::kProcessStop);
    FUZZ_CHECK(ended.completion_code == sys::kCompletionFatal);
    FUZZ_CHECK(fake.terminal.size() == 2);
    FUZZ_CHECK(fake.terminal[1] == "Type  KEYMEND -H[ELP]  to get help");
  }
  if (!stopped) {
    FUZZ_CHECK(fake.terminal.empty());
    FUZZ_CHECK(keymend::TEMPLATELEN > 0 && keymend::TEMPLATELEN <= keymend::kTemplateBytes);
    FUZZ_CHECK(keymend::DEFAULTLOCATIONLEN >= 0 &&
               keymend::DEFAULTLOCATIONLEN <= keymend::kNameBytes);
    FUZZ_CHECK(!keymend::PARAMETERSCUT);
  }
  sys::install(previous);
  return 0;
}
