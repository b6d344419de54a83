#pragma once
// Categories and macros as JSON: every field readable, texts as UTF-8
// strings converted from and to the macro files' code page, the type by
// name and the shortcut as text and as number.
//
// {"catagories": [{"name": "Web", "macros": [{"title": "Link",
//   "type": "Block Mode", "shortcut": "Ctrl+Alt+L", "shortcutValue": 49228,
//   "firstLine": "", ..., "with3": ""}]}]}

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "store/Catagories.h"

// A JSON document that cannot be imported; the message names the category,
// the macro and the field.
class EMacroJson : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

nlohmann::ordered_json MacroToJson(const TMacro& macro, unsigned codePage);
nlohmann::ordered_json CatagoryToJson(const TCatagory& catagory, unsigned codePage);

struct TImportCatagory {
  std::string Name;  // in the code page
  TMacroList Macros;
};

// Checks and converts the whole document before anything is written;
// raises EMacroJson at the first fault.
std::vector<TImportCatagory> CatagoriesFromJson(const nlohmann::json& document, unsigned codePage);
