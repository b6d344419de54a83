#include "search/MacroIndex.h"

#include "base/CodePage.h"
#include "base/StrUtils.h"
#include "store/ShortCut.h"
#include "store/StoreText.h"

namespace {

// The small letter of a capital whose UTF-8 form takes two bytes, or the
// character itself. Only pairs of the same length are listed.
unsigned SmallLetter(unsigned point) {
  if ((point >= 0xC0 && point <= 0xDE && point != 0xD7) || (point >= 0x391 && point <= 0x3AB && point != 0x3A2) ||
      (point >= 0x410 && point <= 0x42F))
    return point + 0x20;
  if (point >= 0x400 && point <= 0x40F) return point + 0x50;
  bool evenCapital = (point >= 0x100 && point <= 0x137) || (point >= 0x14A && point <= 0x177) ||
                     (point >= 0x460 && point <= 0x481) || (point >= 0x490 && point <= 0x4BF);
  bool oddCapital = (point >= 0x139 && point <= 0x148) || (point >= 0x179 && point <= 0x17E);
  if ((evenCapital && point % 2 == 0) || (oddCapital && point % 2 == 1)) return point + 1;
  switch (point) {
    case 0x178: return 0xFF;   // Y with diaeresis
    case 0x386: return 0x3AC;  // Greek capitals with tonos
    case 0x388: case 0x389: case 0x38A: return point + 0x25;
    case 0x38C: return 0x3CC;
    case 0x38E: case 0x38F: return point + 0x3F;
  }
  return point;
}

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

bool IsAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
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

TMacroEntry EntryOf(const TCatagory& catagory, const std::string& shownName, int c, int m, unsigned codePage) {
  const TMacro& macro = catagory.Macros[m];
  TMacroEntry entry;
  entry.Catagory = c;
  entry.Macro = m;
  entry.Title = ShownText(GetTitle(macro), codePage);
  entry.CatagoryName = shownName;
  entry.Kind = MacroTypeName(macro.MacroType);
  entry.ShortCutValue = macro.ShortCut;
  entry.ShortCut = macro.ShortCut != 0 ? ShownShortCutText(macro.ShortCut) : std::string();
  entry.LowerTitle = FoldCase(entry.Title);
  entry.LowerCatagory = FoldCase(entry.CatagoryName);
  entry.LowerKind = FoldCase(entry.Kind);
  entry.LowerShortCut = FoldCase(entry.ShortCut);
  entry.LowerText = FoldCase(ShownText(JoinedTexts(macro), codePage));
  return entry;
}

bool Holds(const std::string& text, const std::string& key) {
  return text.find(key) != std::string::npos;
}

}  // namespace

std::string ShownText(const std::string& stored, unsigned codePage) {
  return IsAscii(stored) ? stored : StoreTextToUtf8(stored, codePage);
}

std::string ShownShortCutText(std::uint16_t shortCut) {
  return ShownText(ShortCutText(shortCut), SystemAnsiCodePage());
}

std::string FoldCase(std::string utf8) {
  for (std::size_t at = 0; at < utf8.size(); ++at) {
    unsigned char lead = static_cast<unsigned char>(utf8[at]);
    if (lead < 0x80) {
      utf8[at] = LowerCaseChar(utf8[at]);
    } else if (lead >= 0xC2 && lead <= 0xDF && at + 1 < utf8.size() && IsContinuation(utf8[at + 1])) {
      unsigned point = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[at + 1]) & 0x3Fu);
      unsigned small = SmallLetter(point);
      utf8[at] = static_cast<char>(0xC0 | (small >> 6));
      utf8[at + 1] = static_cast<char>(0x80 | (small & 0x3F));
      ++at;
    }
  }
  return utf8;
}

TMacroIndex::TMacroIndex(const TCatagories& store) : FGeneration(store.Generation()) {
  const unsigned codePage = StoreTextCodePage(store.Encoding());
  for (std::size_t c = 0; c < store.Items.size(); ++c) {
    const TCatagory& catagory = store.Items[c];
    const std::string shownName = ShownText(catagory.Name, codePage);
    for (std::size_t m = 0; m < catagory.Macros.size(); ++m)
      FEntries.push_back(EntryOf(catagory, shownName, static_cast<int>(c), static_cast<int>(m), codePage));
  }
}

std::string SearchKey(const std::string& query) {
  const char* blanks = " \t\r\n";
  std::size_t first = query.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  std::size_t last = query.find_last_not_of(blanks);
  return FoldCase(query.substr(first, last - first + 1));
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
