#include "tools/arguments.h"

namespace nsk {

std::string Arguments::Value(const std::string& name, const std::string& fallback) const {
  auto it = values.find(name);
  return it == values.end() || it->second.empty() ? fallback : it->second.front();
}

std::vector<std::string> Arguments::All(const std::string& name) const {
  auto it = values.find(name);
  return it == values.end() ? std::vector<std::string>() : it->second;
}

std::string ParseArguments(const std::vector<std::string>& words,
                           const std::vector<OptionSpec>& specs, Arguments* args) {
  Arguments parsed;
  bool options_end = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (options_end || word.size() < 2 || word.compare(0, 2, "--") != 0) {
      parsed.positional.push_back(word);
      continue;
    }
    if (word == "--") {
      options_end = true;
      continue;
    }
    std::string name = word.substr(2);
    std::string value;
    bool inline_value = false;
    if (const size_t eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      inline_value = true;
    }
    const OptionSpec* option = nullptr;
    for (const OptionSpec& s : specs) {
      if (name == s.name) option = &s;
    }
    if (option == nullptr) return "unknown option --" + name;
    if (!option->takes_value) {
      if (inline_value) return "--" + name + " takes no value";
    } else if (!inline_value) {
      if (i + 1 >= words.size()) return "--" + name + " needs a value";
      value = words[++i];
    }
    std::vector<std::string>& slot = parsed.values[name];
    if (!slot.empty() && !option->repeatable) return "--" + name + " is given more than once";
    slot.push_back(value);
  }
  *args = std::move(parsed);
  return "";
}

}  // namespace nsk
