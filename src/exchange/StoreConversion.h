#pragma once
// Turning an ANSI macros folder into a UTF-8 one, whole or not at all.

#include <functional>
#include <stdexcept>

#include "store/Catagories.h"

// A text that cannot be converted (a byte the code page does not define, or
// a text that would outgrow its field); the message names the category, the
// macro and the field. Nothing has been written.
class EStoreConversion : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TConversionCount {
  int Catagories = 0;
  int Macros = 0;
};

// Converts every text of every category from codePage to UTF-8. All texts
// are converted in memory first, so a text that does not fit stops it
// before anything is written. Then backup() runs (a failure there stops it
// too), then each category file is written anew, and the folder's mark
// comes last. When a file cannot be written, the categories written before
// it are put back and the error goes on: the folder stays ANSI and whole.
// Afterwards the store holds the folder as UTF-8 (its Encoding says so).
// A folder already marked UTF-8 raises EStoreConversion and is left alone.
TConversionCount ConvertStoreToUtf8(TCatagories& store, unsigned codePage,
                                    const std::function<void()>& backup);
