// nskfile init and nskfile volume.
#include <algorithm>
#include <cerrno>

#include "nsk/command_line.h"
#include "nsk/name_parts.h"
#include "tools/arguments.h"
#include "tools/commands.h"

namespace nsk {
namespace {

void ShowNode(const Catalog& catalog, const std::vector<std::string>& volumes, std::ostream& out) {
  const NodeSettings& s = catalog.settings();
  out << "node       " << s.node_name << "\n";
  out << "directory  " << catalog.directory() << "\n";
  out << "os         " << FormatOsVersion(s.os_version, s.os_update) << "\n";
  out << "defaults   " << s.default_volume << "." << s.default_subvolume << "\n";
  out << "volumes   ";
  for (const std::string& v : volumes) out << " " << v;
  out << "\n";
}

// The settings of an existing node that differ from those asked for.
std::string Differences(const NodeSettings& have, const NodeSettings& asked,
                        const Arguments& args) {
  std::string diff;
  auto note = [&diff](const std::string& what, const std::string& is) {
    diff += (diff.empty() ? "" : ", ") + what + " is " + is;
  };
  if (args.Has("node") && have.node_name != asked.node_name) note("the node", have.node_name);
  if (args.Has("os") &&
      (have.os_version != asked.os_version || have.os_update != asked.os_update)) {
    note("the OS version", FormatOsVersion(have.os_version, have.os_update));
  }
  if (args.Has("defaults") && (have.default_volume != asked.default_volume ||
                               have.default_subvolume != asked.default_subvolume)) {
    note("the default", have.default_volume + "." + have.default_subvolume);
  }
  return diff;
}

}  // namespace

std::string InitCommand(const std::vector<std::string>& words, std::ostream& out) {
  Arguments args;
  const std::vector<OptionSpec> specs = {
      {"node", true, false}, {"os", true, false}, {"defaults", true, false}};
  if (std::string bad = ParseArguments(words, specs, &args); !bad.empty()) return bad;
  if (!args.positional.empty()) return "unexpected argument \"" + args.positional[0] + "\"";

  NodeSettings settings = DefaultNodeSettings();
  if (args.Has("node")) {
    const std::string name = args.Value("node");
    if (!IsNodeName(name)) {
      return "--node \"" + name + "\" is not a node name (\\ and 1 to 7 letters or digits)";
    }
    settings.node_name = UpperCase(name);
  }
  if (args.Has("os") &&
      !ParseOsVersion(args.Value("os"), &settings.os_version, &settings.os_update)) {
    return "--os \"" + args.Value("os") + "\" is not a version such as H06.29";
  }
  if (args.Has("defaults")) {
    NameDefaults defaults;
    if (std::string bad = ParseDefaultsOverride(args.Value("defaults").c_str(), &defaults);
        !bad.empty() || args.Value("defaults").empty()) {
      return "--defaults \"" + args.Value("defaults") +
             "\" is not a volume and subvolume such as $DATA.USER";
    }
    settings.default_volume = defaults.volume;
    settings.default_subvolume = defaults.subvolume;
  }

  const std::string directory = NodeDirectory();
  if (directory.empty()) return "no node directory: set NSK_ROOT (or HOME)";
  std::unique_ptr<Catalog> catalog;
  Error e = Catalog::Open(directory, CatalogOptions(), &catalog);
  bool created = false;
  if (e.code == err::kNoSuchDevice) {
    e = Catalog::Create(directory, settings, CatalogOptions(), &catalog);
    if (!e.ok()) return Describe(e, "cannot create the node in " + directory);
    created = true;
    if (settings.default_volume != "$SYSTEM" && settings.default_volume != "$DATA") {
      e = catalog->AddVolume(settings.default_volume);
      if (!e.ok() && e.code != err::kAlreadyExists) {
        return Describe(e, "cannot add volume " + settings.default_volume);
      }
    }
  } else if (!e.ok()) {
    return Describe(e, "cannot open the node in " + directory);
  } else if (std::string diff = Differences(catalog->settings(), settings, args); !diff.empty()) {
    // Settings are fixed when the node is made; say so rather than pretend.
    return "the node in " + directory + " exists already and keeps its settings: " + diff;
  }

  std::vector<std::string> volumes;
  if (e = catalog->ListVolumes(&volumes); !e.ok()) return Describe(e, "cannot list volumes");
  if (created) out << "created node " << catalog->settings().node_name << "\n";
  ShowNode(*catalog, volumes, out);
  return "";
}

std::string VolumeCommand(const std::vector<std::string>& words, std::ostream& out) {
  Arguments args;
  if (std::string bad = ParseArguments(words, {}, &args); !bad.empty()) return bad;
  if (args.positional.empty()) return "say \"volume add $VOL ...\" or \"volume list\"";
  const std::string action = args.positional[0];
  const std::vector<std::string> names(args.positional.begin() + 1, args.positional.end());

  Node node;
  if (std::string bad = OpenNode(&node); !bad.empty()) return bad;
  if (action == "list") {
    if (!names.empty()) return "volume list takes no arguments";
    std::vector<std::string> volumes;
    if (Error e = node.catalog->ListVolumes(&volumes); !e.ok()) {
      return Describe(e, "cannot list volumes");
    }
    for (const std::string& v : volumes) out << v << "\n";
    return "";
  }
  if (action != "add") return "unknown volume action \"" + action + "\" (add or list)";
  if (names.empty()) return "volume add needs at least one volume name such as $DATA2";
  for (const std::string& name : names) {
    if (!IsVolumeName(name)) {
      return "\"" + name + "\" is not a volume name ($ and 1 to 7 letters or digits)";
    }
  }
  for (const std::string& name : names) {
    if (Error e = node.catalog->AddVolume(name); !e.ok()) {
      return Describe(e, "cannot add volume " + UpperCase(name));
    }
    out << "added volume " << UpperCase(name) << "\n";
  }
  return "";
}

}  // namespace nsk
