#pragma once
// Every macro of the store as the searches see it: where it is, and its
// texts as the windows show them (UTF-8, whatever the folder holds) and in
// lower case for matching. Built once per change of the store
// (TCatagories::Generation), not per keystroke.

#include <cstdint>
#include <string>
#include <vector>

#include "store/Catagories.h"

struct TMacroEntry {
  int Catagory = 0;  // index into TCatagories::Items
  int Macro = 0;     // index into that category's macros
  std::string Title;         // UTF-8, as shown
  std::string CatagoryName;  // UTF-8, as shown
  std::string Kind;      // the macro type's name
  std::string ShortCut;  // "Ctrl+Alt+L", or "" without one
  std::uint16_t ShortCutValue = 0;
  // The same texts in lower case; Text joins the template texts (first and
  // last line, the three lines, the replace and with texts) with newlines.
  std::string LowerTitle;
  std::string LowerCatagory;
  std::string LowerKind;
  std::string LowerShortCut;
  std::string LowerText;
};

class TMacroIndex {
 public:
  TMacroIndex() = default;
  explicit TMacroIndex(const TCatagories& store);

  const std::vector<TMacroEntry>& Entries() const { return FEntries; }
  std::uint64_t Generation() const { return FGeneration; }

 private:
  std::vector<TMacroEntry> FEntries;
  std::uint64_t FGeneration = 0;
};

// A stored text as the windows show it: StoreTextToUtf8, with plain ASCII
// (most texts) taken as it is.
std::string ShownText(const std::string& stored, unsigned codePage);

// ShortCutText as the windows show it: key names come in the system's ANSI
// code page.
std::string ShownShortCutText(std::uint16_t shortCut);

// A UTF-8 text in the case matching uses: the capitals of ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic become small letters. Each keeps its
// length, so nothing else in the text moves.
std::string FoldCase(std::string utf8);

// A (UTF-8) query in the form matching uses: case folded, spaces at either
// end gone.
std::string SearchKey(const std::string& query);

// The positions in index.Entries() of the macros whose title, shortcut text,
// kind or template text holds the query, ignoring case, in store order.
// An empty query keeps every macro.
std::vector<int> FilterMacros(const TMacroIndex& index, const std::string& query);
