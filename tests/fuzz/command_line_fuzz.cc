// Anything a person can type: a command line (words separated by newlines
// in the input) and an NSK_DEFAULTS value go through the launcher's parsers
// and into a startup message, and the whole program runs on it over the
// recording fake, with a few head files to find. The process always ends
// by STOP or PROCESS_STOP_ with code 0, 1 or 2, after the banner, and never
// abends: writing to the fake terminal cannot fail.
#include <string>
#include <vector>

#include "driver/globals.h"
#include "driver/keymend.h"
#include "nsk/command_line.h"
#include "nsk/startup_message.h"
#include "sys/fake_guardian.h"
#include "sys/guardian.h"
#include "tests/fuzz/fuzz_input.h"

using keymend::fuzz::FuzzInput;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  FuzzInput in(data, size);
  const std::string defaults_text = in.Bytes(40);
  const std::string typed = in.Rest();

  std::vector<std::string> words = {"keymend"};
  size_t start = 0;
  for (size_t nl; (nl = typed.find('\n', start)) != std::string::npos; start = nl + 1) {
    words.push_back(typed.substr(start, nl - start));
  }
  words.push_back(typed.substr(start));
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);

  nsk::CommandLine line;
  if (!nsk::ParseCommandLine(static_cast<int>(words.size()), argv.data(), &line).empty()) return 0;
  FUZZ_CHECK(line.parameters.size() <= static_cast<size_t>(nsk::kMaxParameterBytes));
  nsk::NameDefaults defaults;
  if (!nsk::ParseDefaultsOverride(defaults_text.c_str(), &defaults).empty()) return 0;
  const std::string out = line.out_file.empty() ? std::string(nsk::kHomeTerminal) : line.out_file;
  const nsk::StartupMessage message =
      nsk::BuildStartupMessage(defaults, nsk::kHomeTerminal, out, line.parameters);

  sys::FakeGuardian fake;
  fake.defaults = defaults;
  fake.startup_message = message.words;
  fake.startup_message_length = message.length;
  for (const char* name : {"$DATA.USER.ORDERS", "$DATA.USER.NOTES", "$NEW.SALES.H1"}) {
    fake.search_names.push_back(name);
    sys::FakeGuardian::File file;
    file.altlist = sys::MakeAltKeyList({sys::AltKeyDescriptor{}}, {"$OLD.SALES.ALT1"});
    fake.files[name] = file;
  }
  sys::Guardian* previous = sys::install(&fake);
  keymend::ResetGlobals();
  bool ended = false;
  try {
    keymend::KEYMEND();
  } catch (const sys::ProcessEnded& end) {
    ended = true;
    FUZZ_CHECK(end.how != sys::ProcessEnded::How::kAbend);
    FUZZ_CHECK(end.completion_code >= 0 && end.completion_code <= 2);
  }
  FUZZ_CHECK(ended);
  sys::install(previous);
  return 0;
}
