#include "nsk/launcher.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "nsk/break_key.h"
#include "nsk/catalog.h"
#include "nsk/command_line.h"
#include "nsk/fault.h"
#include "nsk/fault_vfs.h"
#include "nsk/labels.h"
#include "nsk/platform.h"
#include "nsk/startup_message.h"

namespace nsk {
namespace {

int NeverStarted(const std::string& why) {
  std::fprintf(stderr, "keymend: %s\n", why.c_str());
  return kNeverStartedExitStatus;
}

}  // namespace

int RunProgram(int argc, char** argv, void (*main_procedure)()) {
  CommandLine line;
  if (std::string bad = ParseCommandLine(argc, argv, &line); !bad.empty()) {
    return NeverStarted(bad);
  }

  // A test's fault for one store operation of this process (fault.h); a
  // disk fault needs its VFS in place before the catalog opens.
  FaultPlan faults;
  if (const char* text = std::getenv("NSK_FAULT"); text != nullptr && *text != 0) {
    bool disk = false;
    if (std::string bad = ArmFromText(text, &faults, &disk); !bad.empty()) {
      return NeverStarted(bad);
    }
    if (disk && !InstallFaultVfs()) return NeverStarted("NSK_FAULT: the fault VFS cannot be used");
  }

  std::unique_ptr<Catalog> catalog;
  if (Error e = Catalog::Open(NodeDirectory(), CatalogOptions(), &catalog); !e.ok()) {
    return NeverStarted(e.message.empty() ? "cannot open the node: error " + std::to_string(e.code)
                                          : e.message);
  }

  ProcessSettings process;
  process.defaults = catalog->Defaults();
  if (std::string bad = ParseDefaultsOverride(std::getenv("NSK_DEFAULTS"), &process.defaults);
      !bad.empty()) {
    return NeverStarted(bad);
  }
  if (Error e = ProcessUser(&process.user); !e.ok()) return NeverStarted(e.message);
  const std::string_view out = line.out_file.empty() ? kHomeTerminal : line.out_file;
  process.startup = BuildStartupMessage(process.defaults, kHomeTerminal, out, line.parameters);

  Platform platform(catalog.get(), std::move(process));
  sys::Guardian* previous = sys::install(&platform);
  FaultPlan* previous_faults = InstallFaultPlan(&faults);
  InstallBreakHandler();
  int status = 0;
  try {
    main_procedure();
  } catch (const sys::ProcessEnded& ended) {
    status = ExitStatusFor(ended);
  }
  InstallFaultPlan(previous_faults);
  sys::install(previous);
  std::fflush(stdout);
  return status;
}

}  // namespace nsk
