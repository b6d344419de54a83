#include "exchange/CatagoryExchange.h"

#include <map>
#include <stdexcept>
#include <utility>

#include "base/OsFile.h"

std::string ExportText(const TCatagories& store, int catagory, unsigned codePage) {
  nlohmann::ordered_json document;
  document["catagories"] = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < store.Items.size(); ++i)
    if (catagory < 0 || static_cast<int>(i) == catagory)
      document["catagories"].push_back(CatagoryToJson(store.Items[i], codePage));
  return document.dump(2) + "\n";
}

std::vector<TImportCatagory> ReadImportText(const std::string& text, unsigned codePage,
                                            const std::string& source) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& error) {
    throw EMacroJson("\"" + source + "\" is not valid JSON: " + error.what());
  }
  return CatagoriesFromJson(document, codePage);
}

namespace {

struct THolder {
  std::string Catagory;
  std::string Title;
};

// Every shortcut the store holds, with the first macro that holds it.
std::map<std::uint16_t, THolder> ShortCutHolders(const TCatagories& store) {
  std::map<std::uint16_t, THolder> holders;
  for (const TCatagory& catagory : store.Items)
    for (const TMacro& macro : catagory.Macros)
      if (macro.ShortCut != 0)
        holders.emplace(macro.ShortCut, THolder{catagory.Name, GetTitle(macro)});
  return holders;
}

void CheckCanReceive(const TCatagories& store, const std::string& name) {
  int index = FindCatagory(store, name);
  if (index >= 0 && store.Items[index].LoadFailed)
    throw std::runtime_error("The catagory '" + name +
                             "' could not be read; nothing was imported into it.");
  std::string path = store.CatagoryFileName(name);
  if (index < 0 && (FileExists(path) || DirectoryExists(path)))
    throw std::runtime_error("Cannot create the catagory '" + name + "': \"" + path +
                             "\" is in the way; nothing was imported.");
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& item : names)
    if (SameFileName(item, name)) return true;
  return false;
}

}  // namespace

TImportPlan PlanImport(const TCatagories& store, std::vector<TImportCatagory> incoming) {
  TImportPlan plan;
  std::map<std::uint16_t, THolder> holders = ShortCutHolders(store);
  for (const TImportCatagory& catagory : incoming) {
    CheckCanReceive(store, catagory.Name);
    if (FindCatagory(store, catagory.Name) < 0 && !Listed(plan.NewCatagories, catagory.Name))
      plan.NewCatagories.push_back(catagory.Name);
    for (const TMacro& macro : catagory.Macros) {
      ++plan.MacroCount;
      if (macro.ShortCut == 0) continue;
      auto held = holders.emplace(macro.ShortCut, THolder{catagory.Name, GetTitle(macro)});
      if (!held.second)
        plan.Clashes.push_back({catagory.Name, GetTitle(macro), macro.ShortCut,
                                held.first->second.Catagory, held.first->second.Title});
    }
  }
  plan.Catagories = std::move(incoming);
  return plan;
}

namespace {

// What an import has written so far, so that a failure can take it back.
class TImportUndo {
 public:
  explicit TImportUndo(TCatagories& store) : FStore(store) {}

  void CatagoryCreated(int index) { FCreated.push_back(FStore.Items[index].Name); }
  void MacroAdded(int catagory, int macro) { FAdded.emplace_back(catagory, macro); }

  // Takes away, newest first, what was added. Each added macro is the last
  // of its category when its turn comes, so no other record moves. A
  // failure here leaves the rest as it is; the first error is the one the
  // caller reports.
  void Revert() noexcept {
    for (auto it = FAdded.rbegin(); it != FAdded.rend(); ++it) {
      try {
        FStore.RemoveMacro(it->first, it->second);
      } catch (...) {
      }
    }
    for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it) {
      int index = FindCatagory(FStore, *it);
      if (index < 0 || !FStore.Items[index].Macros.empty()) continue;
      try {
        FStore.RemoveCatagory(index);
      } catch (...) {
      }
    }
  }

 private:
  TCatagories& FStore;
  std::vector<std::string> FCreated;
  std::vector<std::pair<int, int>> FAdded;
};

}  // namespace

int ApplyImport(TCatagories& store, const TImportPlan& plan) {
  TImportUndo undo(store);
  int added = 0;
  try {
    for (const TImportCatagory& catagory : plan.Catagories) {
      int index = FindCatagory(store, catagory.Name);
      if (index < 0) {
        index = store.AddCatagory(catagory.Name);
        if (index < 0)
          throw std::runtime_error("Cannot create the catagory '" + catagory.Name +
                                   "': its file appeared meanwhile.");
        undo.CatagoryCreated(index);
      }
      for (const TMacro& macro : catagory.Macros) {
        undo.MacroAdded(index, store.AddMacro(index, macro));
        ++added;
      }
    }
  } catch (...) {
    undo.Revert();
    throw;
  }
  return added;
}
