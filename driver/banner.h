// The banner: the two lines that open every run, before any other output.
//
//   KEYMEND (201) - V6034H06 - (28Feb2011)   System \NODE, running NSK H06.29
//   <one fixed line saying what the program does>
#ifndef KEYMEND_DRIVER_BANNER_H_
#define KEYMEND_DRIVER_BANNER_H_

namespace keymend {

// Writes the two banner lines to the OUT file.
void PRINTBANNER();

// The program's version entry point: the same as PRINTBANNER.
void V6034H06_KEYMEND201_28FEB2011();

// The second banner line.
extern const char kBannerNotice[];

}  // namespace keymend

#endif  // KEYMEND_DRIVER_BANNER_H_
