#include "cli/Options.h"

#include "base/OsFile.h"

#include <algorithm>

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TOptions::TOptions(const TCliArgs& args, const std::vector<std::string>& valueOptions,
                   const std::vector<std::string>& flagOptions) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      FPositional.push_back(arg);
      continue;
    }
    std::size_t equals = arg.find('=');
    std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    if (Contains(flagOptions, name) && equals == std::string::npos) {
      FValues[name].push_back("");
    } else if (!Contains(valueOptions, name)) {
      throw EUsage("unknown option '" + arg + "'");
    } else if (equals != std::string::npos) {
      FValues[name].push_back(arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      FValues[name].push_back(args[++i]);
    } else {
      throw EUsage("the option --" + name + " needs a value");
    }
  }
}

bool TOptions::Has(const std::string& name) const { return FValues.count(name) != 0; }

std::string TOptions::Required(const std::string& name) const {
  if (!Has(name)) throw EUsage("the option --" + name + " is required");
  return FValues.at(name).back();
}

std::string TOptions::Value(const std::string& name, const std::string& fallback) const {
  return Has(name) ? FValues.at(name).back() : fallback;
}

std::vector<std::string> TOptions::Values(const std::string& name) const {
  return Has(name) ? FValues.at(name) : std::vector<std::string>();
}

long TOptions::Number(const std::string& name, long fallback, long low, long high) const {
  if (!Has(name)) return fallback;
  std::string text = Value(name);
  std::size_t used = 0;
  long number = 0;
  try {
    number = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (text.empty() || used != text.size() || number < low || number > high)
    throw EUsage("the option --" + name + " needs a whole number from " + std::to_string(low) +
                 " to " + std::to_string(high) + ", not '" + text + "'");
  return number;
}

std::string StoredName(const std::string& given, TStoreEncoding encoding) {
  if (encoding == TStoreEncoding::Utf8) return given;
  std::string ansi;
  return AnsiFromPathName(given, ansi) ? ansi : given;
}
