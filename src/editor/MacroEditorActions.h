#pragma once
// What the macro editor decides outside its window: taking back the last
// delete, the question an import asks before it writes anything, and the
// names typed for categories. The window is Unicode: what it shows and
// takes is UTF-8, what the store holds is in the folder's code page.

#include <string>
#include <utility>

#include "exchange/CatagoryExchange.h"
#include "store/Catagories.h"

// The last macro deleted, or the last category removed, in one editor
// session, held in memory so that it can be put back. A removed category
// comes back as a new file made from the macros it held when it went (the
// copy in the Recycle Bin, if any, stays there).
class TDeleteUndo {
 public:
  void MacroDeleted(const std::string& catagory, const TMacro& macro);
  void CatagoryRemoved(const TCatagory& catagory);
  // Keeps the link to a category that was renamed since.
  void CatagoryRenamed(const std::string& from, const std::string& to);

  bool CanUndo() const { return FKind != ukNone; }
  // "Delete Macro 'Bold'" or "Remove Catagory 'Web'"; "" when there is nothing.
  std::string Description() const;

  // Puts it back and forgets it; returns where it now is: the category and
  // the macro's index (-1 for a whole category). A failure raises (the
  // store's errors, or std::runtime_error when the category the macro came
  // from is gone or a category of the removed one's name exists again) and
  // keeps what can be undone.
  std::pair<int, int> Undo(TCatagories& store);

 private:
  enum TKind { ukNone, ukMacro, ukCatagory };
  TKind FKind = ukNone;
  std::string FCatagory;
  TMacroList FMacros;
};

// The question shown before an import: how many macros, which categories
// are new and which shortcuts are held already (the first ten of each, then
// how many more). Empty when the plan holds no macro and no new category.
// The plan's texts are in the store's code page, the file name and the
// question UTF-8.
std::string ImportQuestion(const TImportPlan& plan, const std::string& fileName, unsigned codePage);

// A category name typed in the window (UTF-8) in the store's form. Raises
// EStoreText when the folder cannot hold one of its characters, or when
// the stored form takes more than a category name's 255 bytes.
std::string StoredCatagoryName(const std::string& typed, unsigned codePage);

// Why a new category (or category `renamed` of the store) cannot have the
// typed name, "" when it can; `stored` then holds the name in the store's
// form. A renamed category may keep its own name in another letter case.
// The reason is UTF-8.
std::string TypedCatagoryNameProblem(const TCatagories& store, const std::string& typed, std::string& stored,
                                     int renamed = -1);
