// A stand-in program for the launcher tests: started by nsk::RunProgram, it
// reports its startup message on its OUT file (one record per field) and then
// does what the first word of its parameter string says:
//   STOP n | PSTOP n   STOP or PROCESS_STOP_ with completion code n
//   ABEND              ABEND
//   RETURN             returns from the main procedure
//   BREAK              "ready" on stderr, waits for Ctrl-C, then writes a
//                      line, reports the WRITE error on stderr and stops
//                      with it as completion code
//   BREAK2             "ready" on stderr, waits for Ctrl-C, "pressed" on
//                      stderr, then waits for ever
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "nsk/break_key.h"
#include "nsk/launcher.h"
#include "sys/guardian.h"

namespace {

std::string message;
int16_t out = -1;

void TakeMessage(int16_t*, void*, const int16_t* words, int16_t length, int16_t) {
  message.assign(reinterpret_cast<const char*>(words), static_cast<size_t>(length));
}

void Put(const std::string& record) {
  if (out >= 0) sys::WRITE(out, record.data(), static_cast<int16_t>(record.size()));
}

void Say(const char* text) {
  if (write(2, text, std::strlen(text)) < 0) std::abort();
}

void WaitForBreak() {
  Say("ready\n");
  while (!nsk::BreakPending()) usleep(1000);
}

void Probe() {
  sys::INITIALIZER(nullptr, nullptr, &TakeMessage);
  char name[36];
  int16_t length = 0;
  int16_t words[12];
  std::memcpy(words, message.data() + 42, 24);
  sys::OLDFILENAME_TO_FILENAME_(words, name, 36, &length);
  if (length > 0) {
    const int16_t error = sys::FILE_OPEN_(name, length, &out);
    if (error != 0) std::fprintf(stderr, "open %d\n", error);
  }
  Put("code " + std::to_string(static_cast<unsigned char>(message[0])) + " " +
      std::to_string(static_cast<unsigned char>(message[1])));
  Put("defaults [" + message.substr(2, 16) + "]");
  Put("in [" + message.substr(18, 24) + "]");
  Put("out [" + message.substr(42, 24) + "]");
  const std::string parameters = message.substr(66);
  Put("parameters [" + parameters.substr(0, parameters.find('\0')) + "] length " +
      std::to_string(message.size()));

  const std::string action = parameters.substr(0, parameters.find_first_of(" \0", 0, 2));
  const int16_t code = static_cast<int16_t>(std::atoi(parameters.c_str() + action.size()));
  if (action == "STOP") sys::STOP(nullptr, {}, nullptr, code);
  if (action == "PSTOP") sys::PROCESS_STOP_(nullptr, {}, {}, code);
  if (action == "ABEND") sys::ABEND();
  if (action == "BREAK") {
    WaitForBreak();
    int16_t error = 0;
    if (sys::WRITE(out, "after break", 11) == sys::CC::kLess) sys::FILEINFO(out, &error);
    std::fprintf(stderr, "write error %d\n", error);
    sys::PROCESS_STOP_(nullptr, {}, {}, error);
  }
  if (action == "BREAK2") {
    WaitForBreak();
    Say("pressed\n");
    for (;;) pause();
  }
}

}  // namespace

int main(int argc, char** argv) { return nsk::RunProgram(argc, argv, &Probe); }
