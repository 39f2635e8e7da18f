#include "sys/guardian.h"

#include <cstdio>
#include <cstdlib>

namespace sys {
namespace {
Guardian* installed = nullptr;
}  // namespace

Guardian* install(Guardian* guardian) {
  Guardian* previous = installed;
  installed = guardian;
  return previous;
}

Guardian& current() {
  if (installed == nullptr) {
    // A programming error of the launcher or a test, never of the user.
    std::fputs("keymend: no Guardian platform installed\n", stderr);
    std::abort();
  }
  return *installed;
}

}  // namespace sys
