// GETUSERVALUES: the parameters of the run, taken from TOKENTABLE.
//
// Accepted forms (tokens in brackets; every separating comma is a token):
//     (nothing)
//     [template]
//     [template] [,] [default]
//     [template] [,] [default] [,] [LISTONLY]
//     [template] [,] [,] [LISTONLY]
// each also without the template. Tokens after LISTONLY are not looked at.
//
// Sets TEMPLATE/TEMPLATELEN (the user's template as typed, else "*"
// qualified with the process's defaults), DEFAULTLOCATION/LEN (the user's
// default location as typed, when one is given and FILENAME_RESOLVE_ accepts
// it as defaults) and LISTONLY.
//
// A malformed parameter string is answered with one message line and the
// hint line, and the process stops with completion code 2 (fatal): no file
// has been visited. Beyond the plain syntax rules it refuses, as "Invalid
// command syntax.", a template of more than 50 bytes and a parameter string
// that was cut to fit its buffers, and, as "User supplied DEFAULT unusable",
// a default location of more than 36 bytes. Cutting any of them could point
// the run at files or places the user never named.
#ifndef KEYMEND_DRIVER_USER_VALUES_H_
#define KEYMEND_DRIVER_USER_VALUES_H_

namespace keymend {

void GETUSERVALUES();

}  // namespace keymend

#endif  // KEYMEND_DRIVER_USER_VALUES_H_
