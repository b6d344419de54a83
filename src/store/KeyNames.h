#pragma once
#include <cstdint>
#include <string>

// The system's name for a key outside the fixed table (from the keyboard
// layout's scan-code table on Windows); "" where the system has none, and
// always "" on Linux.
std::string SystemKeyName(std::uint8_t keyCode);
