#include "driver/globals.h"

#include <cstring>

namespace keymend {

char OUTFILENAME[kNameBytes];
int16_t OUTFILENAMELEN;
char DEFAULTLOCATION[kNameBytes];
int16_t DEFAULTLOCATIONLEN;
TokenTable TOKENTABLE;
int16_t OUTFNUM = -1;
char LINEBUFFER[kLineBufferBytes];
char* const LINESTART = LINEBUFFER;
char* LINENEXT;
int16_t SEARCHID;
char TEMPLATE[kTemplateBytes];
int16_t TEMPLATELEN;
bool LISTONLY;
bool PARAMETERSCUT;

void ResetGlobals() {
  std::memset(OUTFILENAME, 0, sizeof OUTFILENAME);
  OUTFILENAMELEN = 0;
  std::memset(DEFAULTLOCATION, 0, sizeof DEFAULTLOCATION);
  DEFAULTLOCATIONLEN = 0;
  std::memset(&TOKENTABLE, 0, sizeof TOKENTABLE);
  OUTFNUM = -1;
  std::memset(LINEBUFFER, 0, sizeof LINEBUFFER);
  LINENEXT = nullptr;
  SEARCHID = 0;
  std::memset(TEMPLATE, 0, sizeof TEMPLATE);
  TEMPLATELEN = 0;
  LISTONLY = false;
  PARAMETERSCUT = false;
}

}  // namespace keymend
