#pragma once
// Which form a run's texts take before any step sees them. The steps read
// single bytes: Change case flips A-Z and a-z, a template tag ends at "}".
// In a code page whose characters take up to two bytes (Japanese, Chinese,
// Korean), the second byte of a character can be any of those, so the steps
// would cut and change characters. In UTF-8 every byte of a character
// outside ASCII is above 127, and no step touches it.

// Whether a run works in UTF-8 from its start, whatever the selection holds:
// when the largest character of the ANSI code page (GetCPInfo's
// MaxCharSize) is more than one byte.
bool RunsInUtf8FromStart(unsigned ansiMaxCharSize);
