#include "driver/banner.h"

#include "driver/globals.h"
#include "driver/terminal_output.h"
#include "driver/version.h"
#include "sys/guardian.h"

namespace keymend {
namespace {
constexpr int16_t kNodeNameMax = 10;
// The OS version text needs 6 bytes; more room keeps odd values in bounds.
constexpr int kVersionRoom = 14;
}  // namespace

const char kBannerNotice[] =
    "Moves the alternate key file names in head file labels to a new location.";

void PRINTBANNER() {
  int16_t nodenamelen = 0;
  StartLine();
  PutText("KEYMEND (201) - V6034H06 - (28Feb2011)   System ");
  sys::NODENUMBER_TO_NODENAME_(std::nullopt, LINENEXT, kNodeNameMax, &nodenamelen);
  if (nodenamelen > 0 && nodenamelen <= kNodeNameMax) LINENEXT += nodenamelen;
  PutText(", running NSK ");
  if (RoomLeft() >= kVersionRoom) LINENEXT += NRX_OSVERSION_(LINENEXT);
  WriteLine();

  WriteTextLine(kBannerNotice);
}

void V6034H06_KEYMEND201_28FEB2011() { PRINTBANNER(); }

}  // namespace keymend
