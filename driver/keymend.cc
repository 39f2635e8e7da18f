#include "driver/keymend.h"

#include "adjust/action_loop.h"
#include "driver/banner.h"
#include "driver/globals.h"
#include "driver/startup.h"
#include "driver/terminal_output.h"
#include "driver/user_values.h"
#include "driver/version.h"
#include "lib/string_match.h"
#include "sys/guardian.h"

namespace keymend {

const char* const kHelpLines[13] = {
    "KEYMEND adjustes alternate key file entries.",
    "Command syntax is:",
    " [run] KEYMEND [<template>[,<default>]]",
    "where",
    " <template>        is a file name template, describing the head files.",
    "                   Extended wild cards are supported.",
    "                   When missing, the files in the users current",
    "                   default location are used.",
    " <default>         <[\\system.[$vol[.subvol]]]> to which the AK entries",
    "                   in the head files have to be adjusted to.",
    "                   Wildcards are NOT supported.",
    "                   When missing, the files current default location",
    "                   is used.",
};

void KEYMEND() {
  LIBVERSION();
  sys::INITIALIZER(nullptr, nullptr, &GETSTARTUP);
  if (OUTFILENAMELEN > 0) sys::FILE_OPEN_(OUTFILENAME, OUTFILENAMELEN, &OUTFNUM);
  PRINTBANNER();

  const TokenEntry& first = TOKENTABLE.TOKEN[0];
  if (STRINGMATCH(first.PTR, first.LEN, "-HELP", 2) == 2 ||
      STRINGMATCH(first.PTR, first.LEN, "-HELP", 5) == 2) {
    for (const char* line : kHelpLines) WriteTextLine(line);
    sys::PROCESS_STOP_();
  }

  GETUSERVALUES();
  ACTIONLOOP();
  sys::STOP(nullptr, std::nullopt, nullptr, sys::kCompletionFatal);
}

}  // namespace keymend
