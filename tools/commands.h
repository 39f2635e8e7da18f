// The commands of nskfile and what they share. Each command reads its
// arguments, does its work and returns "" on success or the one line that
// says why it failed (without the "nskfile: " in front).
#ifndef KEYMEND_TOOLS_COMMANDS_H_
#define KEYMEND_TOOLS_COMMANDS_H_

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "nsk/catalog.h"
#include "nsk/names.h"

namespace nsk {

using Command = std::string (*)(const std::vector<std::string>& args, std::ostream& out);

std::string InitCommand(const std::vector<std::string>& args, std::ostream& out);
std::string VolumeCommand(const std::vector<std::string>& args, std::ostream& out);
std::string CreateCommand(const std::vector<std::string>& args, std::ostream& out);
std::string InfoCommand(const std::vector<std::string>& args, std::ostream& out);
std::string DupCommand(const std::vector<std::string>& args, std::ostream& out);
std::string PurgeCommand(const std::vector<std::string>& args, std::ostream& out);
std::string PrintCommand(const std::vector<std::string>& args, std::ostream& out);

// ---- Shared by the commands --------------------------------------------------

// An open node and the defaults that complete names given to the tool.
struct Node {
  std::unique_ptr<Catalog> catalog;
  NameDefaults defaults;
};

// Opens the node of the environment. Returns "" or why not.
std::string OpenNode(Node* node);

// The message of a failed catalog call: its own message, or `what` and the
// error number.
std::string Describe(const Error& error, const std::string& what);

// `text` completed to the full name of one disk file, "$VOL.SUBVOL.FILEID"
// (a node part only when it is not the local node and `keep_other_node`).
// Returns "" or why `text` names no disk file.
std::string FullFileName(const Node& node, const std::string& text, bool keep_other_node,
                         std::string* full);

// `text` completed to a file-name template (wild cards left in place).
// Returns "" or why it is no template.
std::string FullTemplate(const Node& node, const std::string& text, std::string* full);

// The names of the files matching `pattern` (completed), in catalog order.
// A template that matches nothing is an error.
std::string MatchingFiles(Node* node, const std::string& pattern, std::vector<FileEntry>* files);

}  // namespace nsk

#endif  // KEYMEND_TOOLS_COMMANDS_H_
