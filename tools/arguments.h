// The command-line arguments of one nskfile command, read by hand against a
// short list of the options it knows.
//
//   --name value, --name=value   an option with a value
//   --name                       a flag
//   --                           every later word is a positional argument
//   anything else                a positional argument, in order
//
// A value is the next word whatever it looks like, so "--secure -AAA" works.
#ifndef KEYMEND_TOOLS_ARGUMENTS_H_
#define KEYMEND_TOOLS_ARGUMENTS_H_

#include <map>
#include <string>
#include <vector>

namespace nsk {

struct OptionSpec {
  const char* name;  // without the leading "--"
  bool takes_value;
  bool repeatable;
};

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>> values;  // by option name, in order

  bool Has(const std::string& name) const { return values.count(name) != 0; }
  // The value of a single-valued option, `fallback` when absent.
  std::string Value(const std::string& name, const std::string& fallback = "") const;
  // Every value of a repeatable option, in order.
  std::vector<std::string> All(const std::string& name) const;
};

// Reads `words` against `specs`. Returns "" and fills *args, or one line
// that names the word at fault (unknown option, missing value, an option
// given twice that may be given once).
std::string ParseArguments(const std::vector<std::string>& words,
                           const std::vector<OptionSpec>& specs, Arguments* args);

}  // namespace nsk

#endif  // KEYMEND_TOOLS_ARGUMENTS_H_
