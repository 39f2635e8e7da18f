// The keymend executable: the platform's launcher, then the main procedure.
#include "driver/keymend.h"
#include "nsk/launcher.h"

int main(int argc, char** argv) { return nsk::RunProgram(argc, argv, &keymend::KEYMEND); }
