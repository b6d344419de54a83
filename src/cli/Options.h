#pragma once
// Command-line options of the form --name VALUE (also --name=VALUE), flags
// of the form --name, and positional arguments. Unknown options are usage
// errors, so a mistyped option never passes silently.

#include <map>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "store/StoreEncoding.h"

// A name given on the command line (UTF-8) as the macro files hold their
// names and titles: unchanged for a UTF-8 folder, in the ANSI code page for
// any other (a name that page cannot hold comes back unchanged and so
// matches nothing).
std::string StoredName(const std::string& given, TStoreEncoding encoding);

class TOptions {
 public:
  // valueOptions: names that take a value; flagOptions: names that do not.
  TOptions(const TCliArgs& args, const std::vector<std::string>& valueOptions,
           const std::vector<std::string>& flagOptions = {});

  bool Has(const std::string& name) const;
  // The last value given; raises EUsage when the option is missing.
  std::string Required(const std::string& name) const;
  std::string Value(const std::string& name, const std::string& fallback = "") const;
  // Every value given for a repeatable option, in order.
  std::vector<std::string> Values(const std::string& name) const;
  const std::vector<std::string>& Positional() const { return FPositional; }
  // A whole number within [low, high]; raises EUsage otherwise.
  long Number(const std::string& name, long fallback, long low, long high) const;

 private:
  std::map<std::string, std::vector<std::string>> FValues;
  std::vector<std::string> FPositional;
};
