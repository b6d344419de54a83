// strip: deletes every match of an expression from standard input, as a
// Strip tags macro does with the selection.
#include <istream>
#include <iterator>
#include <ostream>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "regex/RegExpr.h"

namespace {

int ModifierIndex(char letter) {
  switch (letter) {
    case 'i': case 'I': return rmIndexI;
    case 'r': case 'R': return rmIndexR;
    case 's': case 'S': return rmIndexS;
    case 'g': case 'G': return rmIndexG;
    case 'm': case 'M': return rmIndexM;
    case 'x': case 'X': return rmIndexX;
    default: return 0;
  }
}

// Written as in an inline modifier group: letters switch modifiers on,
// letters after a '-' switch them off ("-i", "x-s").
void ApplyModifiers(const std::string& letters, TRegexEngine& re) {
  bool on = true;
  for (char letter : letters) {
    if (letter == '-') {
      on = false;
      continue;
    }
    int index = ModifierIndex(letter);
    if (index == 0) throw EUsage(std::string("unknown modifier '") + letter + "' in --modifiers");
    re.SetModifierFlag(index, on);
  }
}

}  // namespace

int CmdStrip(const TCliArgs& args, TCliStreams& io) {
  TOptions options(args, {"expr", "modifiers"});
  if (!options.Positional().empty()) throw EUsage("unexpected argument '" + options.Positional()[0] + "'");
  TRegexEngine re;
  re.SetModifierFlag(rmIndexI, true);
  re.SetModifierFlag(rmIndexM, true);
  ApplyModifiers(options.Value("modifiers"), re);
  re.Expression(options.Required("expr"));
  // Compiling before reading lets a bad expression fail at once; the result
  // is built whole before the first byte is written, so a failure leaves
  // standard output empty.
  re.Compile();
  std::string input((std::istreambuf_iterator<char>(io.In)), std::istreambuf_iterator<char>());
  io.Out << re.ReplaceMatches(input, "");
  return kExitOk;
}
