#include "driver/terminal_output.h"

#include <cstring>

#include "driver/globals.h"
#include "sys/guardian.h"

namespace keymend {
namespace {
constexpr int16_t kErrorBreakOnly = 110;
constexpr int16_t kErrorBreak = 111;
}  // namespace

int16_t TWRITE(int16_t fnum, const char* buffer, int16_t length) {
  if (fnum == -1) return 0;
  for (;;) {
    if (sys::WRITE(fnum, buffer, length) != sys::CC::kLess) return 0;
    int16_t error = 0;
    sys::FILEINFO(fnum, &error);
    if (error == kErrorBreakOnly || error == kErrorBreak) {
      sys::FILENAME_FINDFINISH_(SEARCHID);
      sys::PROCESS_STOP_();
    }
    if (sys::FILEERROR(fnum) == 0) sys::ABEND();
  }
}

void StartLine() { LINENEXT = LINESTART; }

int RoomLeft() {
  if (LINENEXT == nullptr) LINENEXT = LINESTART;
  return static_cast<int>(LINESTART + kLineBufferBytes - LINENEXT);
}

void PutText(const char* bytes, int length) {
  if (length <= 0) return;
  const int room = RoomLeft();
  if (length > room) length = room;
  std::memmove(LINENEXT, bytes, static_cast<size_t>(length));
  LINENEXT += length;
}

void PutText(const char* text) { PutText(text, static_cast<int>(std::strlen(text))); }

void WriteLine() {
  if (LINENEXT == nullptr) LINENEXT = LINESTART;
  TWRITE(OUTFNUM, LINEBUFFER, static_cast<int16_t>(LINENEXT - LINESTART));
}

void WriteTextLine(const char* text) {
  StartLine();
  PutText(text);
  WriteLine();
}

}  // namespace keymend
