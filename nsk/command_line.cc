#include "nsk/command_line.h"

#include <string_view>
#include <vector>

#include "nsk/name_parts.h"
#include "nsk/startup_message.h"

namespace nsk {
namespace {

bool StartsWithOutOption(std::string_view word) {
  if (word.size() < 4 || !SameIgnoringCase(word.substr(0, 4), "/OUT")) return false;
  return word.size() == 4 || word[4] == ' ' || word[4] == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string ParseCommandLine(int argc, const char* const* argv, CommandLine* line) {
  std::vector<std::string_view> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);

  CommandLine parsed;
  bool first_word = true;
  size_t next = 0;
  if (!words.empty() && StartsWithOutOption(words[0])) {
    // Gather words until one holds the closing slash of the options list.
    std::string options(words[0].substr(1));
    next = 1;
    while (options.find('/') == std::string::npos && next < words.size()) {
      options += ' ';
      options += words[next++];
    }
    const size_t slash = options.find('/');
    if (slash == std::string::npos) {
      return "the run options \"/OUT name/\" lack their closing \"/\"";
    }
    const std::string_view name = Trim(std::string_view(options).substr(3, slash - 3));
    if (name.empty()) return "the run option /OUT needs a file name: /OUT name/";
    if (name.find_first_of(" \t,") != std::string_view::npos) {
      return "the run options hold more than \"/OUT name/\": \"" + std::string(name) + "\"";
    }
    parsed.out_file = std::string(name);
    const std::string_view rest = Trim(std::string_view(options).substr(slash + 1));
    if (!rest.empty()) {
      parsed.parameters = std::string(rest);
      first_word = false;
    }
  } else if (!words.empty() && !words[0].empty() && words[0][0] == '/') {
    return "unknown run options \"" + std::string(words[0]) +
           "\": the only run option is /OUT name/";
  }
  for (; next < words.size(); ++next) {
    if (!first_word) parsed.parameters += ' ';
    parsed.parameters += words[next];
    first_word = false;
  }
  if (parsed.parameters.size() > static_cast<size_t>(kMaxParameterBytes)) {
    return "the parameter string is " + std::to_string(parsed.parameters.size()) +
           " bytes long, more than the " + std::to_string(kMaxParameterBytes) +
           " a process can be given";
  }
  *line = std::move(parsed);
  return "";
}

std::string ParseDefaultsOverride(const char* value, NameDefaults* defaults) {
  if (value == nullptr || *value == '\0') return "";
  const std::vector<std::string_view> parts = SplitAt(value, '.');
  if (parts.size() != 2 || !IsVolumeName(parts[0]) || !IsNamePart(parts[1])) {
    return "NSK_DEFAULTS=\"" + std::string(value) +
           "\" is not a volume and subvolume such as $DATA.USER";
  }
  defaults->volume = UpperCase(parts[0]);
  defaults->subvolume = UpperCase(parts[1]);
  return "";
}

}  // namespace nsk
