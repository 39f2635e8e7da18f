// The process-wide data of KEYMEND, one instance each, set up when the
// process starts and kept until it ends.
//
//   OUTFILENAME, OUTFILENAMELEN        OUT file name from the startup message
//   DEFAULTLOCATION, DEFAULTLOCATIONLEN where alternate-key file names go;
//                                      the process's default volume and
//                                      subvolume unless the user names one
//   TOKENTABLE                         the tokens of the parameter string
//   OUTFNUM                            OUT file number, -1 while none is open
//   LINEBUFFER, LINESTART, LINENEXT    the line being built; LINESTART never
//                                      moves, LINENEXT is the byte after the
//                                      last one placed
//   SEARCHID                           the running file-name search
//   TEMPLATE, TEMPLATELEN              the file-name template of the run
//
// Two flags of our own carry what the parameters asked for beyond that:
//   LISTONLY        the keyword LISTONLY was given: report, write nothing
//   PARAMETERSCUT   the parameter string did not fit and was cut; such a
//                   run is refused rather than run with tokens missing
#ifndef KEYMEND_DRIVER_GLOBALS_H_
#define KEYMEND_DRIVER_GLOBALS_H_

#include <cstdint>

#include "lib/token_table.h"

namespace keymend {

constexpr int kNameBytes = 36;
constexpr int kLineBufferBytes = 10000;
constexpr int kTemplateBytes = 50;

extern char OUTFILENAME[kNameBytes];
extern int16_t OUTFILENAMELEN;
extern char DEFAULTLOCATION[kNameBytes];
extern int16_t DEFAULTLOCATIONLEN;
extern TokenTable TOKENTABLE;
extern int16_t OUTFNUM;
extern char LINEBUFFER[kLineBufferBytes];
extern char* const LINESTART;
extern char* LINENEXT;
extern int16_t SEARCHID;
extern char TEMPLATE[kTemplateBytes];
extern int16_t TEMPLATELEN;

extern bool LISTONLY;
extern bool PARAMETERSCUT;

// Puts every global back to its start value, as at process start. Tests run
// the program's procedures in one host process and start each case clean.
void ResetGlobals();

}  // namespace keymend

#endif  // KEYMEND_DRIVER_GLOBALS_H_
