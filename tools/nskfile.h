// nskfile: the companion tool that makes, inspects and repairs the files of
// a node. The binary's main() is RunNskfile over its arguments; tests call
// it in-process too.
//
//   nskfile init [--node \NAME] [--os H06.29] [--defaults $VOL.SUB]
//   nskfile volume add $VOL ...
//   nskfile volume list
//   nskfile create NAME [--type N] [--code N] [--altfile NAME]...
//                  [--altkey SPEC:LEN:OFFSET:FILENO]... [--raw-altlist HEX]
//                  [--owner GROUP.USER] [--secure RWEP]
//   nskfile info TEMPLATE [--detail] [--json]
//   nskfile dup FROM TO
//   nskfile purge TEMPLATE
//   nskfile print NAME
//   nskfile --help, nskfile COMMAND --help, nskfile help [COMMAND]
//
// The node is the one the environment names (NSK_ROOT, XDG_DATA_HOME,
// HOME). Partial file names and templates are completed from the node's
// default volume and subvolume, or NSK_DEFAULTS; new files belong to
// NSK_USER (default SUPER.SUPER) unless --owner says otherwise. The tool is
// the node's administrator: it checks no file security.
#ifndef KEYMEND_TOOLS_NSKFILE_H_
#define KEYMEND_TOOLS_NSKFILE_H_

#include <ostream>
#include <string>
#include <vector>

namespace nsk {

// Runs one command: `args` are the words after the program name. Results go
// to `out`; a failure is one line "nskfile: ..." on `err`. Returns the exit
// status: 0 success, 1 failure.
int RunNskfile(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace nsk

#endif  // KEYMEND_TOOLS_NSKFILE_H_
