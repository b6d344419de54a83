#include "editor/UnicodeCommand.h"

#include <exception>

#include "exchange/DailyBackup.h"
#include "exchange/StoreConversion.h"
#include "store/Catagories.h"

namespace {

std::string Counted(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

bool OffersUnicodeConversion(const std::string& macrosDir) {
  try {
    return ReadStoreEncoding(macrosDir) == TStoreEncoding::Ansi;
  } catch (const std::exception&) {
    return false;  // an unknown or unreadable mark: the folder is not ours to convert
  }
}

std::string UnicodeConversionQuestion(const std::string& macrosDir) {
  return "Store every macro in \"" + macrosDir +
         "\" as Unicode (UTF-8)?\n\n"
         "Every catagory is converted to UTF-8, so that titles and templates can hold any "
         "character. A backup of all macros as they are now is written first, to "
         "Backup\\macros-YYYY-MM-DD.json beside the Macros folder.\n\n"
         "Older copies of Zarvel will show characters outside ASCII wrongly in a Unicode folder, "
         "but lose nothing.";
}

TUnicodeConversion ConvertMacrosToUnicode(const std::string& macrosDir, unsigned codePage) {
  TUnicodeConversion result;
  try {
    TCatagories store(macrosDir);
    std::string backup;
    TConversionCount count = ConvertStoreToUtf8(store, codePage, [&] {
      backup = TDailyBackup(macrosDir, codePage).WriteNow();
    });
    result.Converted = true;
    result.Message = "Converted " + Counted(count.Macros, "macro", "macros") + " in " +
                     Counted(count.Catagories, "catagory", "catagories") +
                     " to Unicode (UTF-8). The macros as they were are in \"" + backup + "\".";
  } catch (const std::exception& error) {
    result.Message = error.what();
  }
  return result;
}
