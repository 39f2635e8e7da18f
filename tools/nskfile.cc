#include "tools/nskfile.h"

#include <cstdlib>
#include <cstring>

#include "nsk/command_line.h"
#include "nsk/name_parts.h"
#include "tools/commands.h"

namespace nsk {
namespace {

struct CommandEntry {
  const char* name;
  Command run;
  const char* usage;
};

const CommandEntry kCommands[] = {
    {"init", &InitCommand,
     "usage: nskfile init [--node \\NAME] [--os H06.29] [--defaults $VOL.SUB]\n"
     "Creates the node (catalog.db in the node directory) with the volumes $SYSTEM and\n"
     "$DATA, and the default volume when it is another; shows the node if it exists.\n"
     "  --node \\NAME        node name, 1 to 7 letters or digits\n"
     "                      (default: from the host name)\n"
     "  --os H06.29         operating-system version the processors report\n"
     "  --defaults $V.S     default volume and subvolume of processes\n"
     "                      (default $DATA.USER)\n"},
    {"volume", &VolumeCommand,
     "usage: nskfile volume add $VOL ...\n"
     "       nskfile volume list\n"
     "Adds disk volumes to the node, or lists them.\n"},
    {"create", &CreateCommand,
     "usage: nskfile create NAME [--type N] [--code N] [--altfile NAME]...\n"
     "                      [--altkey SPEC:LEN:OFFSET:FILENO]... [--raw-altlist HEX]\n"
     "                      [--owner GROUP.USER] [--secure RWEP]\n"
     "Creates a disk file with its label.\n"
     "  --type N            0 unstructured, 1 relative, 2 entry-sequenced,\n"
     "                      3 key-sequenced (default 3)\n"
     "  --code N            file code, 0 to 65535 (default 0)\n"
     "  --altfile NAME      the next alternate-key file (numbered from 0)\n"
     "  --altkey S:L:O:F    an alternate key: two-character specifier, length,\n"
     "                      offset and alternate-key file number; without\n"
     "                      --altkey each --altfile gets one key\n"
     "  --raw-altlist HEX   the bytes of label items 100 to 104 exactly as given\n"
     "                      (words little-endian), for damaged labels; not with\n"
     "                      --altfile or --altkey\n"
     "  --owner G.U         owner (default: NSK_USER, else SUPER.SUPER)\n"
     "  --secure RWEP       read, write, execute, purge: each A, G, O or -\n"
     "                      (default AAAA)\n"},
    {"info", &InfoCommand,
     "usage: nskfile info TEMPLATE [--detail] [--json]\n"
     "Lists the files matching TEMPLATE (wild cards * and ?), one a line.\n"
     "  --detail            add type, code, owner, security, keys and alternate-key\n"
     "                      files\n"
     "  --json              one JSON object a line: name, type, code, altkeys,\n"
     "                      altfiles\n"},
    {"dup", &DupCommand,
     "usage: nskfile dup FROM TO\n"
     "Copies the files matching FROM with their labels unchanged. A part of TO that is\n"
     "\"*\" is taken from each source name: nskfile dup '$OLD.*.*' '$NEW.*.*'\n"},
    {"purge", &PurgeCommand,
     "usage: nskfile purge TEMPLATE\n"
     "Removes the files matching TEMPLATE.\n"},
    {"print", &PrintCommand,
     "usage: nskfile print NAME\n"
     "Writes the records of an entry-sequenced file, one a line.\n"},
};

const char kToolUsage[] =
    "usage: nskfile COMMAND [ARGUMENTS]\n"
    "Makes and inspects the files of the emulated Guardian node.\n"
    "\n"
    "  init [--node \\NAME] [--os H06.29] [--defaults $VOL.SUB]\n"
    "  volume add $VOL ... | volume list\n"
    "  create NAME [--type N] [--code N] [--altfile NAME]...\n"
    "              [--altkey SPEC:LEN:OFFSET:FILENO]... [--raw-altlist HEX]\n"
    "              [--owner GROUP.USER] [--secure RWEP]\n"
    "  info TEMPLATE [--detail] [--json]\n"
    "  dup FROM TO\n"
    "  purge TEMPLATE\n"
    "  print NAME\n"
    "\n"
    "nskfile COMMAND --help (or nskfile help COMMAND) tells more. The node directory\n"
    "is $NSK_ROOT, else $XDG_DATA_HOME/nsk, else ~/.local/share/nsk. Names are not\n"
    "case-sensitive; partial names are completed from the node's defaults or\n"
    "NSK_DEFAULTS. man nskfile and man keymend have the details.\n";

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

}  // namespace

int RunNskfile(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "nskfile: no command given (try nskfile --help)\n";
    return 1;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    // "nskfile help COMMAND" is "nskfile COMMAND --help".
    if (args[0] == "help" && args.size() > 1) return RunNskfile({args[1], "--help"}, out, err);
    out << kToolUsage;
    return 0;
  }
  for (const CommandEntry& command : kCommands) {
    if (args[0] != command.name) continue;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (AsksForHelp(rest)) {
      out << command.usage;
      return 0;
    }
    const std::string failure = command.run(rest, out);
    if (failure.empty()) return 0;
    err << "nskfile " << command.name << ": " << failure;
    if (failure.rfind("unknown option", 0) == 0) {
      err << " (nskfile " << command.name << " --help lists them)";
    }
    err << "\n";
    return 1;
  }
  // Options come after the command; one in front of it is not one we know.
  const char* what = args[0].size() > 1 && args[0][0] == '-' ? "option" : "command";
  err << "nskfile: unknown " << what << " \"" << args[0] << "\" (try nskfile --help)\n";
  return 1;
}

// ---- Shared by the commands --------------------------------------------------

std::string OpenNode(Node* node) {
  Error e = Catalog::Open(NodeDirectory(), CatalogOptions(), &node->catalog);
  if (!e.ok()) return Describe(e, "cannot open the node");
  node->defaults = node->catalog->Defaults();
  if (std::string bad = ParseDefaultsOverride(std::getenv("NSK_DEFAULTS"), &node->defaults);
      !bad.empty()) {
    return bad;
  }
  return "";
}

std::string Describe(const Error& error, const std::string& what) {
  if (!error.message.empty()) return error.message;
  return what + ": error " + std::to_string(error.code);
}

namespace {

// Resolves `text` with the node's defaults in wild-card mode and splits the
// result. Returns "" or why not.
std::string ResolveParts(const Node& node, const std::string& text, NameParts* parts) {
  if (text.empty() || text.size() > 60) return "\"" + text + "\" is not a file name";
  const NameRules rules(node.defaults);
  char full[64];
  int16_t length = 0;
  if (rules.Resolve(text.data(), static_cast<int16_t>(text.size()), full, sizeof full, &length, {},
                    nullptr, {}, nullptr, {}, nullptr, {}) != 0 ||
      SplitName(full, length, NameMode::kWild, parts) != 0) {
    return "\"" + text + "\" is not a legal file name";
  }
  return "";
}

}  // namespace

std::string FullFileName(const Node& node, const std::string& text, bool keep_other_node,
                         std::string* full) {
  NameParts parts;
  if (std::string bad = ResolveParts(node, text, &parts); !bad.empty()) return bad;
  const std::string joined = parts.Join();
  NameParts exact;
  if (SplitName(joined.data(), static_cast<int16_t>(joined.size()), NameMode::kExact, &exact) !=
      0) {
    return "\"" + text + "\" holds wild cards; one file name is needed here";
  }
  if (exact.volume.empty() || exact.subvolume.empty() || exact.file.empty() ||
      exact.subvolume[0] == '#') {
    return "\"" + text + "\" names no disk file ($VOL.SUBVOL.FILEID)";
  }
  const bool local = exact.node.empty() || exact.node == UpperCase(node.defaults.node);
  if (!local && !keep_other_node) {
    return "\"" + text + "\" is on node " + exact.node + ", not on this node " + node.defaults.node;
  }
  if (local) exact.node.clear();
  *full = exact.Join();
  return "";
}

std::string FullTemplate(const Node& node, const std::string& text, std::string* full) {
  NameParts parts;
  if (std::string bad = ResolveParts(node, text, &parts); !bad.empty()) return bad;
  *full = parts.Join();
  return "";
}

std::string MatchingFiles(Node* node, const std::string& pattern, std::vector<FileEntry>* files) {
  std::string full;
  if (std::string bad = FullTemplate(*node, pattern, &full); !bad.empty()) return bad;
  files->clear();
  Error e = node->catalog->ForEachFile(full, [files](const FileEntry& entry) {
    files->push_back(entry);
    return true;
  });
  if (!e.ok()) return Describe(e, "cannot search " + full);
  if (files->empty()) return "no file matches " + full;
  return "";
}

}  // namespace nsk
