// GETSTARTUP: the startup procedure that INITIALIZER calls once with the
// startup message the command interpreter sent.
//
// The message, by byte position:
//     0-1     message code (not read)
//     2-17    default volume and subvolume, 8 bytes each
//     18-41   IN file, 12-word internal form (bytes 18-25 stand in the file
//             part of the default name, and are dropped again)
//     42-65   OUT file, 12-word internal form
//     66-     parameter string, normally ended by a NUL
//
// It leaves OUTFILENAME/LEN, DEFAULTLOCATION/LEN (default volume and
// subvolume only) and TOKENTABLE set, the parameter string having been copied
// into LINEBUFFER and split by PARSER with the comma as separator. A message
// too short to hold a part leaves that part's globals at their start values
// (a message of 66 bytes or less has an empty parameter string). A parameter
// string that does not fit LINEBUFFER, or whose tokens do not fit
// TOKENTABLE, sets PARAMETERSCUT; nothing is written outside either buffer.
#ifndef KEYMEND_DRIVER_STARTUP_H_
#define KEYMEND_DRIVER_STARTUP_H_

#include <cstdint>

namespace keymend {

void GETSTARTUP(int16_t* rucb, void* passthru, const int16_t* message, int16_t messagelength,
                int16_t match);

}  // namespace keymend

#endif  // KEYMEND_DRIVER_STARTUP_H_
