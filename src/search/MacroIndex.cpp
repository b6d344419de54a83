#include "search/MacroIndex.h"

#include "base/StrUtils.h"
#include "store/ShortCut.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = LowerCaseChar(c);
  return text;
}

std::string JoinedTexts(const TMacro& macro) {
  std::string text;
  for (int field = 0; field < kMacroTextCount; ++field) {
    std::string part = GetMacroText(macro, static_cast<TMacroText>(field));
    if (part.empty()) continue;
    if (!text.empty()) text += '\n';
    text += part;
  }
  return text;
}

TMacroEntry EntryOf(const TCatagory& catagory, int c, int m) {
  const TMacro& macro = catagory.Macros[m];
  TMacroEntry entry;
  entry.Catagory = c;
  entry.Macro = m;
  entry.Title = GetTitle(macro);
  entry.CatagoryName = catagory.Name;
  entry.Kind = MacroTypeName(macro.MacroType);
  entry.ShortCutValue = macro.ShortCut;
  entry.ShortCut = macro.ShortCut != 0 ? ShortCutText(macro.ShortCut) : std::string();
  entry.LowerTitle = Lower(entry.Title);
  entry.LowerCatagory = Lower(entry.CatagoryName);
  entry.LowerKind = Lower(entry.Kind);
  entry.LowerShortCut = Lower(entry.ShortCut);
  entry.LowerText = Lower(JoinedTexts(macro));
  return entry;
}

bool Holds(const std::string& text, const std::string& key) {
  return text.find(key) != std::string::npos;
}

}  // namespace

TMacroIndex::TMacroIndex(const TCatagories& store) : FGeneration(store.Generation()) {
  for (std::size_t c = 0; c < store.Items.size(); ++c) {
    const TCatagory& catagory = store.Items[c];
    for (std::size_t m = 0; m < catagory.Macros.size(); ++m)
      FEntries.push_back(EntryOf(catagory, static_cast<int>(c), static_cast<int>(m)));
  }
}

std::string SearchKey(const std::string& query) {
  const char* blanks = " \t\r\n";
  std::size_t first = query.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  std::size_t last = query.find_last_not_of(blanks);
  return Lower(query.substr(first, last - first + 1));
}

std::vector<int> FilterMacros(const TMacroIndex& index, const std::string& query) {
  std::string key = SearchKey(query);
  std::vector<int> found;
  const std::vector<TMacroEntry>& entries = index.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TMacroEntry& entry = entries[i];
    if (key.empty() || Holds(entry.LowerTitle, key) || Holds(entry.LowerShortCut, key) ||
        Holds(entry.LowerKind, key) || Holds(entry.LowerText, key))
      found.push_back(static_cast<int>(i));
  }
  return found;
}
