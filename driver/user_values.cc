#include "driver/user_values.h"

#include <cstring>

#include "driver/globals.h"
#include "driver/terminal_output.h"
#include "lib/string_match.h"
#include "lib/token_shift.h"
#include "sys/guardian.h"

namespace keymend {
namespace {

constexpr int16_t kTableEntries = 50;

bool Present(const TokenEntry& token) { return token.LEN > 0; }
bool IsComma(const TokenEntry& token) { return token.LEN == 1 && token.PTR[0] == ','; }

[[noreturn]] void Refuse(const char* message) {
  WriteTextLine(message);
  WriteTextLine("Type  KEYMEND -H[ELP]  to get help");
  sys::PROCESS_STOP_(nullptr, std::nullopt, std::nullopt, sys::kCompletionFatal);
}

[[noreturn]] void SyntaxError() { Refuse("Invalid command syntax."); }
[[noreturn]] void DefaultUnusable() { Refuse("User supplied DEFAULT unusable"); }

void TakeOption() {
  const TokenEntry& t0 = TOKENTABLE.TOKEN[0];
  const TokenEntry& t1 = TOKENTABLE.TOKEN[1];
  if (!Present(t0)) return;
  if (!IsComma(t0) || !Present(t1)) SyntaxError();
  if (STRINGMATCH(t1.PTR, t1.LEN, "LISTONLY", 8) == 2) {
    LISTONLY = true;
    return;
  }
  Refuse("Invalid keyword.");
}

}  // namespace

void GETUSERVALUES() {
  const TokenEntry& t0 = TOKENTABLE.TOKEN[0];
  const TokenEntry& t1 = TOKENTABLE.TOKEN[1];

  // Without a template of the user's, all files of the current default
  // subvolume.
  TEMPLATE[0] = '*';
  TEMPLATELEN = 1;
  sys::FILENAME_RESOLVE_(TEMPLATE, 1, TEMPLATE, kNameBytes, &TEMPLATELEN);

  if (PARAMETERSCUT) SyntaxError();

  if (Present(t0) && t0.PTR[0] != ',') {
    if (t0.LEN > kTemplateBytes) SyntaxError();
    std::memcpy(TEMPLATE, t0.PTR, static_cast<size_t>(t0.LEN));
    TEMPLATELEN = t0.LEN;
    DOWNSHIFTPOINTERS(&TOKENTABLE, kTableEntries, 1);
  }

  if (!Present(t0)) return;
  if (IsComma(t0) && IsComma(t1)) {
    // An empty default location: the keyword must follow.
    DOWNSHIFTPOINTERS(&TOKENTABLE, kTableEntries, 1);
    TakeOption();
    return;
  }
  if (!IsComma(t0) || !Present(t1)) SyntaxError();
  if (t1.LEN > kNameBytes) DefaultUnusable();
  std::memcpy(DEFAULTLOCATION, t1.PTR, static_cast<size_t>(t1.LEN));
  DEFAULTLOCATIONLEN = t1.LEN;

  // The default location is usable when it can complete a file name.
  int16_t triallen = 0;
  StartLine();
  PutText("Test");
  if (sys::FILENAME_RESOLVE_(LINESTART, 4, LINESTART, kNameBytes, &triallen, std::nullopt,
                             nullptr, std::nullopt, nullptr, std::nullopt, DEFAULTLOCATION,
                             DEFAULTLOCATIONLEN) != 0) {
    DefaultUnusable();
  }
  DOWNSHIFTPOINTERS(&TOKENTABLE, kTableEntries, 2);
  TakeOption();
}

}  // namespace keymend
