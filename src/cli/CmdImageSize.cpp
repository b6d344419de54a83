// imagesize: the width and height a template's {width:} and {height:} tags
// would get for a picture, for checking a picture before a macro uses it.
#include <ostream>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "picture/ImageSize.h"

int CmdImageSize(const TCliArgs& args, TCliStreams& io) {
  TOptions options(args, {});
  if (options.Positional().size() != 1) throw EUsage("one picture file is needed");
  TImageSize size = ReadImageSize(options.Positional()[0]);
  io.Out << size.Width << ' ' << size.Height << '\n';
  return kExitOk;
}
