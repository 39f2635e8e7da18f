#include <iostream>
#include <string>
#include <vector>

#include "tools/nskfile.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = nsk::RunNskfile(args, std::cout, std::cerr);
  std::cout.flush();
  return std::cout.good() ? status : 1;
}
