// nskfile create, info, dup, purge and print.
#include <charconv>
#include <cstdlib>

#include "nsk/command_line.h"
#include "nsk/labels.h"
#include "nsk/name_parts.h"
#include "tools/alt_key_list.h"
#include "tools/arguments.h"
#include "tools/commands.h"

namespace nsk {
namespace {

bool ParseNumber(const std::string& text, int low, int high, int* value) {
  int parsed = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
  if (text.empty() || ec != std::errc() || ptr != end || parsed < low || parsed > high) {
    return false;
  }
  *value = parsed;
  return true;
}

bool LegalSecurity(const std::string& text) {
  if (text.size() != 4) return false;
  for (char c : UpperCase(text)) {
    if (c != 'A' && c != 'G' && c != 'O' && c != '-') return false;
  }
  return true;
}

// Default keys, one per alternate-key file: specifiers "AA", "AB", ...,
// 4 bytes long, side by side from offset 0.
AltKey DefaultKey(int file_number) {
  AltKey key;
  key.specifier = static_cast<int16_t>(('A' + file_number / 26) << 8 | ('A' + file_number % 26));
  key.length = 4;
  key.offset = static_cast<int16_t>(4 * file_number);
  key.file_number = static_cast<int16_t>(file_number);
  return key;
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// A name from a label shown as it is, with bytes that do not print escaped.
std::string Printable(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

uint16_t Code(const FileEntry& entry) { return static_cast<uint16_t>(entry.file_code); }

void ShowDetail(const FileEntry& entry, std::ostream& out) {
  AltKeyList list;
  const std::string damage = DecodeAltKeyList(entry.altlist, &list);
  out << entry.name << "  type " << entry.file_type << "  code " << Code(entry) << "  owner "
      << entry.owner << "  secure " << entry.security << "  altkeys " << list.keys.size();
  for (const AltKey& k : list.keys) {
    out << " " << SpecifierText(k.specifier) << ":" << k.length << ":" << k.offset << ":"
        << k.file_number;
  }
  out << "  altfiles " << list.files.size();
  for (const std::string& f : list.files) out << " " << Printable(f);
  if (!damage.empty()) out << "  damaged label: " << damage;
  out << "\n";
}

void ShowJson(const FileEntry& entry, std::ostream& out) {
  AltKeyList list;
  const std::string damage = DecodeAltKeyList(entry.altlist, &list);
  out << "{\"name\":" << JsonString(entry.name) << ",\"type\":" << entry.file_type
      << ",\"code\":" << Code(entry) << ",\"altkeys\":" << list.keys.size() << ",\"altfiles\":[";
  for (size_t i = 0; i < list.files.size(); ++i) {
    out << (i > 0 ? "," : "") << JsonString(list.files[i]);
  }
  out << "]";
  if (!damage.empty()) out << ",\"damaged\":" << JsonString(damage);
  out << "}\n";
}

// The name for the copy of `source`: each "*" part of `to` is the source's
// part, the others are `to`'s own.
std::string TargetName(const NameParts& to, const std::string& source) {
  NameParts from;
  SplitName(source.data(), static_cast<int16_t>(source.size()), NameMode::kExact, &from);
  NameParts target;
  target.volume = to.volume == "*" ? from.volume : to.volume;
  target.subvolume = to.subvolume == "*" ? from.subvolume : to.subvolume;
  target.file = to.file == "*" ? from.file : to.file;
  return target.Join();
}

}  // namespace

std::string CreateCommand(const std::vector<std::string>& words, std::ostream& out) {
  Arguments args;
  const std::vector<OptionSpec> specs = {{"type", true, false},        {"code", true, false},
                                         {"altfile", true, true},      {"altkey", true, true},
                                         {"raw-altlist", true, false}, {"owner", true, false},
                                         {"secure", true, false}};
  if (std::string bad = ParseArguments(words, specs, &args); !bad.empty()) return bad;
  if (args.positional.size() != 1) return "give exactly one file name: create NAME [options]";

  FileEntry entry;
  int type = 3;
  if (args.Has("type") && !ParseNumber(args.Value("type"), 0, 3, &type)) {
    return "--type \"" + args.Value("type") +
           "\" is not a file type: 0 unstructured, 1 relative, 2 entry-sequenced, "
           "3 key-sequenced";
  }
  entry.file_type = static_cast<int16_t>(type);
  int code = 0;
  if (args.Has("code") && !ParseNumber(args.Value("code"), 0, 65535, &code)) {
    return "--code \"" + args.Value("code") + "\" is not a file code 0 to 65535";
  }
  entry.file_code = static_cast<int16_t>(static_cast<uint16_t>(code));
  User owner;
  if (Error e = ProcessUser(&owner); !e.ok()) return e.message;
  if (args.Has("owner") && !ParseUser(args.Value("owner"), &owner)) {
    return "--owner \"" + args.Value("owner") + "\" is not a user name such as SALES.JOE";
  }
  entry.owner = owner.Text();
  if (args.Has("secure")) {
    if (!LegalSecurity(args.Value("secure"))) {
      return "--secure \"" + args.Value("secure") +
             "\" is not four of A, G, O, - (read, write, execute, purge)";
    }
    entry.security = UpperCase(args.Value("secure"));
  }

  Node node;
  if (std::string bad = OpenNode(&node); !bad.empty()) return bad;
  if (std::string bad = FullFileName(node, args.positional[0], false, &entry.name); !bad.empty()) {
    return bad;
  }

  const std::vector<std::string> altfiles = args.All("altfile");
  const std::vector<std::string> altkeys = args.All("altkey");
  if (args.Has("raw-altlist")) {
    if (!altfiles.empty() || !altkeys.empty()) {
      return "--raw-altlist gives the whole list; it cannot go with --altfile or --altkey";
    }
    if (std::string bad = ParseHex(args.Value("raw-altlist"), &entry.altlist); !bad.empty()) {
      return "--raw-altlist: " + bad;
    }
  } else if (entry.file_type == 0) {
    if (!altfiles.empty() || !altkeys.empty()) {
      return "an unstructured file (--type 0) has no alternate keys";
    }
  } else {
    AltKeyList list;
    for (const std::string& text : altfiles) {
      std::string name;
      if (std::string bad = FullFileName(node, text, true, &name); !bad.empty()) {
        return "--altfile: " + bad;
      }
      list.files.push_back(name);
    }
    for (const std::string& text : altkeys) {
      AltKey key;
      if (std::string bad = ParseAltKeyOption(text, &key); !bad.empty()) {
        return "--altkey " + bad;
      }
      if (key.file_number >= static_cast<int>(list.files.size())) {
        return "--altkey " + text + " names alternate-key file " + std::to_string(key.file_number) +
               ", but there are " + std::to_string(list.files.size()) +
               " --altfile (numbered from 0)";
      }
      list.keys.push_back(key);
    }
    if (altkeys.empty()) {
      for (size_t i = 0; i < list.files.size(); ++i) {
        list.keys.push_back(DefaultKey(static_cast<int>(i)));
      }
    }
    entry.altlist = EncodeAltKeyList(list);
  }

  if (Error e = node.catalog->CreateFile(entry); !e.ok()) {
    return Describe(e, "cannot create " + entry.name);
  }
  out << "created " << entry.name << "\n";
  return "";
}

std::string InfoCommand(const std::vector<std::string>& words, std::ostream& out) {
  Arguments args;
  const std::vector<OptionSpec> specs = {{"detail", false, false}, {"json", false, false}};
  if (std::string bad = ParseArguments(words, specs, &args); !bad.empty()) return bad;
  if (args.positional.size() != 1) return "give exactly one template: info TEMPLATE";
  if (args.Has("detail") && args.Has("json")) return "choose one of --detail and --json";

  Node node;
  if (std::string bad = OpenNode(&node); !bad.empty()) return bad;
  std::vector<FileEntry> files;
  if (std::string bad = MatchingFiles(&node, args.positional[0], &files); !bad.empty()) {
    return bad;
  }
  for (const FileEntry& entry : files) {
    if (args.Has("json")) {
      ShowJson(entry, out);
    } else if (args.Has("detail")) {
      ShowDetail(entry, out);
    } else {
      out << entry.name << "\n";
    }
  }
  return "";
}

std::string DupCommand(const std::vector<std::string>& words, std::ostream& out) {
  Arguments args;
  if (std::string bad = ParseArguments(words, {}, &args); !bad.empty()) return bad;
  if (args.positional.size() != 2) return "give a source and a target: dup FROM TO";

  Node node;
  if (std::string bad = OpenNode(&node); !bad.empty()) return bad;
  std::string to_text;
  if (std::string bad = FullTemplate(node, args.positional[1], &to_text); !bad.empty()) {
    return bad;
  }
  NameParts to;
  SplitName(to_text.data(), static_cast<int16_t>(to_text.size()), NameMode::kWild, &to);
  const auto legal = [](const std::string& part, char prefix) {
    return part == "*" || IsLegalPart(part, prefix, NameMode::kExact);
  };
  if (!to.node.empty() && to.node != UpperCase(node.defaults.node)) {
    return "the target " + to_text + " is not on this node " + node.defaults.node;
  }
  if (to.volume.empty() || to.subvolume.empty() || to.file.empty() || !legal(to.volume, '$') ||
      !legal(to.subvolume, 0) || !legal(to.file, 0)) {
    return "the target \"" + args.positional[1] +
           "\" must name volume, subvolume and file, each part a name or *";
  }
  to.node.clear();

  std::vector<FileEntry> sources;
  if (std::string bad = MatchingFiles(&node, args.positional[0], &sources); !bad.empty()) {
    return bad;
  }
  // Every copy gets its name before the first is made, so that a target that
  // several sources would share is found before anything is copied.
  std::vector<std::string> targets;
  for (const FileEntry& source : sources) targets.push_back(TargetName(to, source.name));
  for (size_t i = 1; i < targets.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (targets[i] == targets[j]) {
        return sources[j].name + " and " + sources[i].name + " would both be copied to " +
               targets[i];
      }
    }
  }
  for (size_t i = 0; i < sources.size(); ++i) {
    if (Error e = node.catalog->CopyFile(sources[i].name, targets[i]); !e.ok()) {
      return Describe(e, "cannot copy " + sources[i].name + " to " + targets[i]);
    }
    out << "copied " << sources[i].name << " to " << targets[i] << "\n";
  }
  return "";
}

std::string PurgeCommand(const std::vector<std::string>& words, std::ostream& out) {
  Arguments args;
  if (std::string bad = ParseArguments(words, {}, &args); !bad.empty()) return bad;
  if (args.positional.size() != 1) return "give exactly one template: purge TEMPLATE";

  Node node;
  if (std::string bad = OpenNode(&node); !bad.empty()) return bad;
  std::vector<FileEntry> files;
  if (std::string bad = MatchingFiles(&node, args.positional[0], &files); !bad.empty()) {
    return bad;
  }
  for (const FileEntry& entry : files) {
    if (Error e = node.catalog->PurgeFile(entry.name); !e.ok()) {
      return Describe(e, "cannot purge " + entry.name);
    }
    out << "purged " << entry.name << "\n";
  }
  return "";
}

std::string PrintCommand(const std::vector<std::string>& words, std::ostream& out) {
  Arguments args;
  if (std::string bad = ParseArguments(words, {}, &args); !bad.empty()) return bad;
  if (args.positional.size() != 1) return "give exactly one file name: print NAME";

  Node node;
  if (std::string bad = OpenNode(&node); !bad.empty()) return bad;
  std::string name;
  if (std::string bad = FullFileName(node, args.positional[0], false, &name); !bad.empty()) {
    return bad;
  }
  Error e = node.catalog->ReadRecords(name, [&out](const std::string& record) {
    out << record << "\n";
    return true;
  });
  if (e.code == err::kNotAllowedOnType) return name + " is not an entry-sequenced file";
  if (!e.ok()) return Describe(e, "cannot read " + name);
  return "";
}

}  // namespace nsk
