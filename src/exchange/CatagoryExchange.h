#pragma once
// Export and import of whole categories as JSON documents. The command-line
// tool, the editor and the backups all go through these, so that a file
// written by one is read by the others with the same checks.

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/MacroJson.h"
#include "store/Catagories.h"

// The export document of one category, or of all of them when catagory is
// -1, as indented JSON text ending in a newline. Every text is converted
// before anything is returned; a text the code page cannot carry raises
// ECodePage naming the category and macro.
std::string ExportText(const TCatagories& store, int catagory, unsigned codePage);

// Reads an export document. Raises EMacroJson when the text is not JSON, or
// when a category, macro or field cannot be imported; source names the file
// in the message.
std::vector<TImportCatagory> ReadImportText(const std::string& text, unsigned codePage,
                                            const std::string& source);

// An imported macro whose shortcut is already held, by a macro of the store
// or by one imported before it.
struct TImportClash {
  std::string Catagory;  // where the imported macro goes
  std::string Title;
  std::uint16_t ShortCut = 0;
  std::string HeldByCatagory;
  std::string HeldByTitle;
};

// What an import will do, worked out before anything is written.
struct TImportPlan {
  std::vector<TImportCatagory> Catagories;
  std::vector<std::string> NewCatagories;  // names that do not exist yet
  std::vector<TImportClash> Clashes;
  int MacroCount = 0;
};

// Checks the import against the store: a category that could not be read, or
// a file in the way of a new one, raises std::runtime_error and nothing is
// written. Clashing shortcuts are listed, not refused.
TImportPlan PlanImport(const TCatagories& store, std::vector<TImportCatagory> incoming);

// Adds everything in the plan, or nothing: when a write fails, the macros and
// categories added so far are taken away again and the error is raised.
// Returns the number of macros added.
int ApplyImport(TCatagories& store, const TImportPlan& plan);
