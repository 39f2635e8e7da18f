#include "adjust/action_loop.h"

#include <cstring>

#include "adjust/alternate_keys.h"
#include "driver/globals.h"
#include "driver/terminal_output.h"
#include "lib/filename_search.h"
#include "sys/guardian.h"

namespace keymend {
namespace {

constexpr char kFiller[] = ". . . . . . . . . . . . . . . . . . .  ";
constexpr int kFillerBytes = 39;
static_assert(sizeof kFiller - 1 == kFillerBytes);

// The planned changes of the head file at hand; large, so not on the stack
// of every pass.
AltFileNameChanges planned;

void PutTemplate() { PutText(TEMPLATE, TEMPLATELEN); }

void ReportChanges() {
  for (int i = 0; i < planned.count; ++i) {
    const AltFileNameChange& c = planned.change[i];
    StartLine();
    PutText("    ");
    PutText(c.oldname, c.oldlen);
    PutText(" -> ");
    PutText(c.newname, c.newlen);
    WriteLine();
  }
}

}  // namespace

void ACTIONLOOP() {
  char name[kNameBytes];
  int16_t namelen = 0;
  int16_t status = 0;
  bool any_error = false;

  if (NRX_FILENAME_FINDSTART_(&SEARCHID, TEMPLATE, TEMPLATELEN, std::nullopt,
                              sys::kDeviceTypeDisk) != 0) {
    StartLine();
    PutText("File name template invalid: ");
    PutTemplate();
    WriteLine();
    WriteTextLine("No action so far: Operation terminated.");
    return;
  }

  for (;;) {
    const int16_t found = NRX_FILENAME_FINDNEXT_(SEARCHID, name, kNameBytes, &namelen, nullptr,
                                                 std::nullopt, TEMPLATE, TEMPLATELEN);
    if (found == 1) {
      NRX_FILENAME_FINDFINISH_(SEARCHID);
      if (any_error) {
        sys::PROCESS_STOP_(nullptr, std::nullopt, std::nullopt, sys::kCompletionWarning);
      }
      sys::PROCESS_STOP_();
    }
    if (found != 0) {
      // No name was delivered, and the same answer would come again.
      StartLine();
      PutText("File name search failed with error ");
      LINENEXT += sys::DNUMOUT(LINENEXT, found, 10);
      PutText(": ");
      PutTemplate();
      WriteLine();
      NRX_FILENAME_FINDFINISH_(SEARCHID);
      sys::PROCESS_STOP_(nullptr, std::nullopt, std::nullopt, sys::kCompletionFatal);
    }
    if (namelen < 0 || namelen > kNameBytes) namelen = kNameBytes;

    const int16_t result = ADJUSTALTERNATEKEYFILES(
        name, namelen, DEFAULTLOCATION, DEFAULTLOCATIONLEN, &status,
        LISTONLY ? std::optional<int16_t>(-1) : std::nullopt, &planned);

    StartLine();
    PutText(kFiller, kFillerBytes);
    std::memcpy(LINESTART, name, static_cast<size_t>(namelen));
    if (result != 0) {
      PutText(" in error: ");
      LINENEXT += sys::DNUMOUT(LINENEXT, result, 10);
      any_error = true;
    } else if (status == -1) {
      continue;
    } else if (status == 0) {
      PutText("OK");
    } else if (status == 1) {
      PutText("modified");
    } else {
      PutText("to be modified");
      WriteLine();
      ReportChanges();
      continue;
    }
    WriteLine();
  }
}

}  // namespace keymend
