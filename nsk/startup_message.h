// The startup message that a command interpreter sends a new process, and
// the 12-word old internal form of the file names it carries.
//
// Layout, in bytes from the start of the message (the message is an array of
// 16-bit words; word 0 is host order, the rest are characters in memory
// order):
//
//   0-1    message code, -1
//   2-9    default volume, blank-padded ("$DATA   ")
//   10-17  default subvolume, blank-padded ("USER    ")
//   18-41  IN file, old internal form
//   42-65  OUT file, old internal form
//   66..   the parameter string, then one NUL byte
//
// The length in bytes counts the NUL. When it is odd the last word is padded
// with a zero byte that the length does not count.
//
// Old internal form: three 8-byte fields, each blank-padded, upper case.
//   disk file   "$DATA   SALES   ORDERS  "
//   device      "$TERM   #HOME           " (the # qualifier in field 2)
//   device      "$TAPE                   " (no qualifier)
// A name on another node has a different form that this platform does not
// produce; such a name, or any name that is not legal, is all blanks.
#ifndef KEYMEND_NSK_STARTUP_MESSAGE_H_
#define KEYMEND_NSK_STARTUP_MESSAGE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nsk/names.h"

namespace nsk {

constexpr int kStartupHeaderBytes = 66;
// The longest parameter string a process can be given, NUL not counted: the
// message length is an INT. Longer strings than the program can use are
// passed on all the same, so that the program itself refuses them with its
// own message.
constexpr int kMaxParameterBytes = 32767 - kStartupHeaderBytes - 1;
constexpr int kOldFileNameBytes = 24;

// The home terminal, the IN file of every process and its default OUT file.
constexpr std::string_view kHomeTerminal = "$TERM.#HOME";

// `name` (external form, any case) in old internal form. A partial disk
// name ("F", "S.F") is completed from the volume and subvolume of
// `defaults`; a node part is dropped when it names `defaults.node` (any
// case). Returns the 24 bytes, or nullopt (and nothing else) when the name
// cannot be put in that form.
std::optional<std::string> ToOldFileName(std::string_view name, const NameDefaults& defaults);

// The same as ToOldFileName, but 24 blanks where that gives nullopt: what the
// command interpreter puts in the message for a name it cannot place.
std::string OldFileNameOrBlanks(std::string_view name, const NameDefaults& defaults);

struct StartupMessage {
  std::vector<int16_t> words;
  int16_t length = 0;  // in bytes, the final NUL included
};

// The message for a process with `defaults` (volume and subvolume used),
// IN file `in_file` and OUT file `out_file` (external forms, converted with
// OldFileNameOrBlanks) and `parameters`.
// REQUIRES: parameters.size() <= kMaxParameterBytes.
StartupMessage BuildStartupMessage(const NameDefaults& defaults, std::string_view in_file,
                                   std::string_view out_file, std::string_view parameters);

}  // namespace nsk

#endif  // KEYMEND_NSK_STARTUP_MESSAGE_H_
