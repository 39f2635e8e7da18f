// The shared fixture of the program's in-process tests: a clean set of
// globals and a recording fake platform installed for each test.
#ifndef KEYMEND_TESTS_SUPPORT_PROGRAM_TEST_H_
#define KEYMEND_TESTS_SUPPORT_PROGRAM_TEST_H_

#include <gtest/gtest.h>

#include <cstring>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "driver/globals.h"
#include "sys/fake_guardian.h"
#include "sys/guardian.h"

namespace keymend::testing {

class ProgramTest : public ::testing::Test {
 public:
  ProgramTest() {
    ResetGlobals();
    previous_ = sys::install(&fake);
  }
  ~ProgramTest() override { sys::install(previous_); }

  // Runs `body`; returns how the process ended, or nullopt when it returned.
  static std::optional<sys::ProcessEnded> Run(const std::function<void()>& body) {
    try {
      body();
    } catch (const sys::ProcessEnded& ended) {
      return ended;
    }
    return std::nullopt;
  }

  // A startup message for parameters `parameters` (a NUL is added) with
  // default $DATA.USER and the home terminal as IN and OUT.
  void StartWith(const std::string& parameters,
                 const std::string& out = sys::InternalName("$TERM", "#HOME", "")) {
    std::string with_nul = parameters;
    with_nul.push_back('\0');
    fake.startup_message =
        sys::MakeStartupMessage("$DATA", "USER", sys::InternalName("$TERM", "#HOME", ""), out,
                                with_nul, &fake.startup_message_length);
  }

  // Opens the home terminal as the OUT file, as the main procedure would.
  void OpenTerminal() {
    sys::FILE_OPEN_("$TERM.#HOME", 11, &OUTFNUM);
    fake.calls.clear();
  }

  sys::FakeGuardian fake;

 private:
  sys::Guardian* previous_ = nullptr;
};

}  // namespace keymend::testing

#endif  // KEYMEND_TESTS_SUPPORT_PROGRAM_TEST_H_
