#include "driver/startup.h"

#include <cstring>

#include "driver/globals.h"
#include "lib/parser.h"
#include "sys/guardian.h"

namespace keymend {
namespace {
constexpr int kDefaultsOffset = 2;     // default volume, subvolume, then IN's first field
constexpr int kOutFileOffset = 42;
constexpr int kParametersOffset = 66;
constexpr int kInternalNameBytes = 24;
}  // namespace

void GETSTARTUP(int16_t* /*rucb*/, void* /*passthru*/, const int16_t* message,
                int16_t messagelength, int16_t /*match*/) {
  const char separators[1] = {','};
  const char no_blanks[1] = {' '};  // an empty list: its count is 0
  const char* bytes = reinterpret_cast<const char*>(message);

  if (messagelength >= kOutFileOffset + kInternalNameBytes) {
    sys::OLDFILENAME_TO_FILENAME_(message + kOutFileOffset / 2, OUTFILENAME, kNameBytes,
                                  &OUTFILENAMELEN);
  }
  if (messagelength >= kDefaultsOffset + kInternalNameBytes) {
    sys::OLDFILENAME_TO_FILENAME_(message + kDefaultsOffset / 2, DEFAULTLOCATION, kNameBytes,
                                  &DEFAULTLOCATIONLEN);
    sys::FILENAME_DECOMPOSE_(DEFAULTLOCATION, DEFAULTLOCATIONLEN, DEFAULTLOCATION, kNameBytes,
                             &DEFAULTLOCATIONLEN, 1, 2);
  }

  // The parameter string: from byte 66 to the end of the message, cut at
  // the first NUL, never more than LINEBUFFER holds.
  int available = messagelength - kParametersOffset;
  if (available < 0) available = 0;
  int copied = available;
  if (copied > kLineBufferBytes) copied = kLineBufferBytes;
  if (copied > 0) std::memcpy(LINESTART, bytes + kParametersOffset, static_cast<size_t>(copied));
  const void* nul = std::memchr(LINESTART, 0, static_cast<size_t>(copied));
  LINENEXT = nul != nullptr ? static_cast<char*>(const_cast<void*>(nul)) : LINESTART + copied;
  if (nul == nullptr && available > copied) {
    // No NUL within what fits: the rest of the string is lost.
    const void* later = std::memchr(bytes + kParametersOffset + copied, 0,
                                    static_cast<size_t>(available - copied));
    if (later != bytes + kParametersOffset + copied) PARAMETERSCUT = true;
  }

  int16_t cut = 0;
  PARSER(LINESTART, static_cast<int16_t>(LINENEXT - LINESTART), &TOKENTABLE, separators, 1,
         no_blanks, 0, std::nullopt, std::nullopt, &cut);
  if (cut != 0) PARAMETERSCUT = true;
}

}  // namespace keymend
