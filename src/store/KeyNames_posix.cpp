#include "store/KeyNames.h"

std::string SystemKeyName(std::uint8_t) { return ""; }
