#include "editor/MacroEditorActions.h"

#include <stdexcept>

#include "editor/MacroForm.h"
#include "search/MacroIndex.h"
#include "store/ShortCut.h"
#include "store/StoreText.h"

namespace {

constexpr std::size_t kClashesShown = 10;
constexpr std::size_t kNamesShown = 10;

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

}  // namespace

void TDeleteUndo::MacroDeleted(const std::string& catagory, const TMacro& macro) {
  FKind = ukMacro;
  FCatagory = catagory;
  FMacros.assign(1, macro);
}

void TDeleteUndo::CatagoryRemoved(const TCatagory& catagory) {
  FKind = ukCatagory;
  FCatagory = catagory.Name;
  FMacros = catagory.Macros;
}

void TDeleteUndo::CatagoryRenamed(const std::string& from, const std::string& to) {
  if (FKind == ukMacro && SameFileName(FCatagory, from)) FCatagory = to;
}

std::string TDeleteUndo::Description() const {
  switch (FKind) {
    case ukMacro: return "Delete Macro " + Quoted(GetTitle(FMacros.front()));
    case ukCatagory: return "Remove Catagory " + Quoted(FCatagory);
    default: return std::string();
  }
}

std::pair<int, int> TDeleteUndo::Undo(TCatagories& store) {
  std::pair<int, int> place(-1, -1);
  int index = FindCatagory(store, FCatagory);
  if (FKind == ukMacro) {
    if (index < 0)
      throw std::runtime_error("The macro cannot come back: its catagory " + Quoted(FCatagory) +
                               " is gone.");
    place = {index, store.AddMacro(index, FMacros.front())};
  } else if (FKind == ukCatagory) {
    if (index >= 0)
      throw std::runtime_error("The catagory " + Quoted(FCatagory) +
                               " cannot come back: a catagory of that name exists again.");
    // Everything or nothing: a failed write takes the new file away again.
    TImportPlan plan;
    plan.Catagories.push_back(TImportCatagory{FCatagory, FMacros});
    ApplyImport(store, plan);
    place = {FindCatagory(store, FCatagory), -1};
  }
  FKind = ukNone;
  FMacros.clear();
  return place;
}

std::string ImportQuestion(const TImportPlan& plan, const std::string& fileName, unsigned codePage) {
  if (plan.MacroCount == 0 && plan.NewCatagories.empty()) return std::string();
  auto shown = [codePage](const std::string& stored) { return Quoted(StoreTextToUtf8(stored, codePage)); };
  std::string text = "Import " + std::to_string(plan.MacroCount) +
                     (plan.MacroCount == 1 ? " macro" : " macros") + " from \"" + fileName + "\"?";
  if (!plan.NewCatagories.empty()) {
    text += "\n\nNew catagories: ";
    for (std::size_t i = 0; i < plan.NewCatagories.size() && i < kNamesShown; ++i)
      text += (i ? ", " : "") + StoreTextToUtf8(plan.NewCatagories[i], codePage);
    if (plan.NewCatagories.size() > kNamesShown)
      text += " and " + std::to_string(plan.NewCatagories.size() - kNamesShown) + " more";
  }
  if (!plan.Clashes.empty()) {
    text += "\n\nThese shortcuts are held by macros already:";
    for (std::size_t i = 0; i < plan.Clashes.size() && i < kClashesShown; ++i) {
      const TImportClash& clash = plan.Clashes[i];
      text += "\n" + ShownShortCutText(clash.ShortCut) + ": " + shown(clash.Title) + " in " +
              shown(clash.Catagory) + ", held by " + shown(clash.HeldByTitle) + " in " + shown(clash.HeldByCatagory);
    }
    if (plan.Clashes.size() > kClashesShown)
      text += "\n... and " + std::to_string(plan.Clashes.size() - kClashesShown) + " more";
  }
  return text;
}

std::string StoredCatagoryName(const std::string& typed, unsigned codePage) {
  std::string stored = Utf8ToStoreText(typed, codePage, "the catagory name");
  CheckStoreTextFits(stored, kCatagoryNameCapacity, "catagory name", typed);
  return stored;
}

std::string TypedCatagoryNameProblem(const TCatagories& store, const std::string& typed, std::string& stored,
                                     int renamed) {
  const unsigned codePage = StoreTextCodePage(store.Encoding());
  try {
    stored = StoredCatagoryName(typed, codePage);
  } catch (const EStoreText& error) {
    return error.what();
  }
  std::string problem;
  if (renamed >= 0 && FindCatagory(store, stored) == renamed) {
    try {
      CheckCatagoryName(stored);
    } catch (const std::exception& error) {
      problem = error.what();
    }
  } else {
    problem = NewCatagoryNameProblem(store, stored);
  }
  // Its words are ASCII; the name it quotes is in the store's form.
  return StoreTextToUtf8(problem, codePage);
}
