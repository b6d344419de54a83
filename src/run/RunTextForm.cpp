#include "run/RunTextForm.h"

bool RunsInUtf8FromStart(unsigned ansiMaxCharSize) { return ansiMaxCharSize > 1; }
