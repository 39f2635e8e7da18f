// What the launcher takes from the host before the process starts: the
// command line and the environment variables that shape the process.
//
// Command line:  keymend [/OUT name/] [words ...]
//   The run-options list comes first and holds at most the OUT option; it
//   may arrive as one word ("/OUT name/") or split by the shell ("/OUT",
//   "name/"), and text right after its closing slash is the first word.
//   OUT and its name are not case-sensitive. The words are joined with
//   single blanks into the parameter string.
// Environment:
//   NSK_DEFAULTS  $VOL.SUB, the process's default volume and subvolume
//   (NSK_USER is read by nsk::ProcessUser, labels.h)
//
// Each parser returns an empty string on success, else one line that says
// what is wrong, for standard error; on failure the output is unchanged.
#ifndef KEYMEND_NSK_COMMAND_LINE_H_
#define KEYMEND_NSK_COMMAND_LINE_H_

#include <string>

#include "nsk/names.h"

namespace nsk {

struct CommandLine {
  std::string out_file;    // as written; empty: the home terminal
  std::string parameters;  // at most kMaxParameterBytes
};

std::string ParseCommandLine(int argc, const char* const* argv, CommandLine* line);

// Sets the volume and subvolume of *defaults from `value` ($VOL.SUB, any
// case; stored upper case). nullptr or "" leaves them alone.
std::string ParseDefaultsOverride(const char* value, NameDefaults* defaults);

}  // namespace nsk

#endif  // KEYMEND_NSK_COMMAND_LINE_H_
