#include "exchange/StoreConversion.h"

#include <utility>
#include <vector>

#include "base/CodePage.h"
#include "store/StoreEncoding.h"

namespace {

std::string Where(const std::string& catagory, std::size_t macro, const std::string& title,
                  const std::string& field) {
  return "catagory '" + catagory + "', macro " + std::to_string(macro) + " ('" + title + "'), " +
         field;
}

std::string Converted(const std::string& text, unsigned codePage, std::size_t capacity,
                      const std::string& where) {
  std::string utf8;
  try {
    utf8 = AnsiToUtf8(text, codePage);
  } catch (const ECodePage& error) {
    throw EStoreConversion("Cannot convert " + where + ": " + error.what() +
                           " Nothing was converted.");
  }
  if (utf8.size() > capacity)
    throw EStoreConversion("Cannot convert " + where + ": in UTF-8 the text takes " +
                           std::to_string(utf8.size()) + " bytes, and the field holds at most " +
                           std::to_string(capacity) + ". Shorten it and convert again; nothing "
                           "was converted.");
  return utf8;
}

TMacro ConvertedMacro(const TMacro& macro, unsigned codePage, const std::string& catagory,
                      std::size_t index) {
  TMacro result = macro;
  std::string title = GetTitle(macro);
  SetTitle(result, Converted(title, codePage, kTitleCapacity, Where(catagory, index, title, "title")));
  for (int field = 0; field < kMacroTextCount; ++field) {
    TMacroText text = static_cast<TMacroText>(field);
    SetMacroText(result, text,
                 Converted(GetMacroText(macro, text), codePage, MacroTextCapacity(text),
                           Where(catagory, index, title, MacroTextName(text))));
  }
  return result;
}

// Writes each converted category, then the mark; on a failure, the ones
// already written get their old records back before the error goes on, so
// the folder never holds UTF-8 records without its mark.
void WriteAll(TCatagories& store, const std::vector<TMacroList>& converted) {
  std::vector<std::pair<int, TMacroList>> written;
  try {
    for (std::size_t c = 0; c < converted.size(); ++c) {
      TMacroList old = store.Items[c].Macros;
      store.ReplaceMacros(static_cast<int>(c), converted[c]);
      written.emplace_back(static_cast<int>(c), std::move(old));
    }
    WriteStoreEncoding(store.Directory(), TStoreEncoding::Utf8);
  } catch (...) {
    for (auto it = written.rbegin(); it != written.rend(); ++it) {
      try {
        store.ReplaceMacros(it->first, it->second);
      } catch (...) {
      }
    }
    throw;
  }
}

}  // namespace

TConversionCount ConvertStoreToUtf8(TCatagories& store, unsigned codePage,
                                    const std::function<void()>& backup) {
  if (ReadStoreEncoding(store.Directory()) == TStoreEncoding::Utf8)
    throw EStoreConversion("The macros in \"" + store.Directory() + "\" are stored as Unicode already.");
  CheckCodePage(codePage);
  TConversionCount count;
  std::vector<TMacroList> converted;
  for (const TCatagory& catagory : store.Items) {
    if (catagory.LoadFailed)
      throw EStoreConversion("Cannot convert: the catagory '" + catagory.Name +
                             "' could not be read. Nothing was converted.");
    TMacroList macros;
    for (std::size_t m = 0; m < catagory.Macros.size(); ++m)
      macros.push_back(ConvertedMacro(catagory.Macros[m], codePage, catagory.Name, m));
    count.Macros += static_cast<int>(macros.size());
    converted.push_back(std::move(macros));
  }
  count.Catagories = static_cast<int>(converted.size());
  if (backup) backup();
  WriteAll(store, converted);
  store.Refresh();  // memory takes the folder's new form: names and texts in UTF-8
  return count;
}
