#include "exchange/MacroJson.h"

#include "store/ShortCut.h"
#include "base/CodePage.h"

using nlohmann::json;
using nlohmann::ordered_json;

namespace {

// JSON keys of the eleven texts, in record order.
const char* const kTextKeys[kMacroTextCount] = {
    "firstLine", "lastLine", "line1",    "line2", "line3", "replace1",
    "with1",     "replace2", "with2",    "replace3", "with3"};

std::string ToUtf8(const std::string& text, unsigned codePage, const std::string& where) {
  try {
    return AnsiToUtf8(text, codePage);
  } catch (const ECodePage& error) {
    throw ECodePage(where + ": " + error.what());
  }
}

// Where a fault lies, for messages: "catagory 'Web', macro 2 ('Link'), field line1".
struct TPlace {
  std::string Catagory;
  int Macro = -1;
  std::string Title;

  std::string Describe(const std::string& field) const {
    std::string text = "catagory '" + Catagory + "'";
    if (Macro >= 0) text += ", macro " + std::to_string(Macro);
    if (!Title.empty()) text += " ('" + Title + "')";
    if (!field.empty()) text += ", field " + field;
    return text;
  }
  [[noreturn]] void Fail(const std::string& field, const std::string& problem) const {
    throw EMacroJson("Cannot import " + Describe(field) + ": " + problem);
  }
};

std::string AnsiField(const json& object, const char* key, unsigned codePage, const TPlace& place,
                      std::size_t capacity) {
  if (!object.contains(key)) return "";
  const json& value = object.at(key);
  if (!value.is_string()) place.Fail(key, "the value is not a string.");
  std::string text;
  try {
    text = Utf8ToAnsi(value.get<std::string>(), codePage);
  } catch (const ECodePage& error) {
    place.Fail(key, error.what());
  }
  if (text.size() > capacity)
    place.Fail(key, "the text is " + std::to_string(text.size()) +
                        " characters long; the field holds at most " + std::to_string(capacity) +
                        ".");
  return text;
}

std::uint8_t TypeFromJson(const json& value, const TPlace& place) {
  if (value.is_number_unsigned() && value.get<unsigned long>() <= 255)
    return static_cast<std::uint8_t>(value.get<unsigned long>());
  if (value.is_string()) {
    for (int type = 0; type < kMacroTypeCount; ++type)
      if (MacroTypeName(static_cast<std::uint8_t>(type)) == value.get<std::string>())
        return static_cast<std::uint8_t>(type);
    place.Fail("type", "the type '" + value.get<std::string>() + "' is unknown.");
  }
  place.Fail("type", "the type must be a type name or a number from 0 to 255.");
}

std::uint16_t ShortCutFromJson(const json& object, const TPlace& place) {
  if (object.contains("shortcutValue")) {
    const json& value = object.at("shortcutValue");
    if (!value.is_number_unsigned() || value.get<unsigned long>() > 0xFFFF)
      place.Fail("shortcutValue", "the value must be a number from 0 to 65535.");
    return static_cast<std::uint16_t>(value.get<unsigned long>());
  }
  if (!object.contains("shortcut")) return 0;
  const json& value = object.at("shortcut");
  std::uint16_t shortCut = 0;
  if (!value.is_string()) place.Fail("shortcut", "the value is not a string.");
  if (!value.get<std::string>().empty() && !ParseShortCutText(value.get<std::string>(), shortCut))
    place.Fail("shortcut", "the shortcut '" + value.get<std::string>() + "' is unknown.");
  return shortCut;
}

void CheckKeys(const json& object, const std::vector<std::string>& known, const TPlace& place) {
  if (!object.is_object()) place.Fail("", "an object was expected.");
  for (const auto& item : object.items())
    if (std::find(known.begin(), known.end(), item.key()) == known.end())
      place.Fail(item.key(), "this field is unknown.");
}

TMacro MacroFromJson(const json& object, unsigned codePage, TPlace& place) {
  std::vector<std::string> known = {"title", "type", "shortcut", "shortcutValue"};
  known.insert(known.end(), std::begin(kTextKeys), std::end(kTextKeys));
  CheckKeys(object, known, place);
  TMacro macro = NewMacro();
  std::string title = object.contains("title")
                          ? AnsiField(object, "title", codePage, place, kTitleCapacity)
                          : "untitled";
  place.Title = object.contains("title") && object.at("title").is_string()
                    ? object.at("title").get<std::string>()
                    : "";
  SetTitle(macro, title);
  if (object.contains("type")) macro.MacroType = TypeFromJson(object.at("type"), place);
  macro.ShortCut = ShortCutFromJson(object, place);
  for (int field = 0; field < kMacroTextCount; ++field) {
    TMacroText text = static_cast<TMacroText>(field);
    SetMacroText(macro, text,
                 AnsiField(object, kTextKeys[field], codePage, place, MacroTextCapacity(text)));
  }
  return macro;
}

}  // namespace

ordered_json MacroToJson(const TMacro& macro, unsigned codePage) {
  std::string title = GetTitle(macro);
  ordered_json object;
  object["title"] = ToUtf8(title, codePage, "The title of macro '" + title + "'");
  std::string typeName = MacroTypeName(macro.MacroType);
  if (typeName.empty()) object["type"] = macro.MacroType;  // unknown kinds keep their number
  else object["type"] = typeName;
  object["shortcut"] = ShortCutText(macro.ShortCut);
  object["shortcutValue"] = macro.ShortCut;
  for (int field = 0; field < kMacroTextCount; ++field) {
    TMacroText text = static_cast<TMacroText>(field);
    object[kTextKeys[field]] = ToUtf8(GetMacroText(macro, text), codePage,
                                      "Field " + std::string(kTextKeys[field]) + " of macro '" +
                                          title + "'");
  }
  return object;
}

ordered_json CatagoryToJson(const TCatagory& catagory, unsigned codePage) {
  ordered_json object;
  object["name"] = ToUtf8(catagory.Name, codePage, "The name of catagory '" + catagory.Name + "'");
  object["macros"] = ordered_json::array();
  for (const TMacro& macro : catagory.Macros) {
    try {
      object["macros"].push_back(MacroToJson(macro, codePage));
    } catch (const ECodePage& error) {
      throw ECodePage("Catagory '" + catagory.Name + "': " + error.what());
    }
  }
  return object;
}

std::vector<TImportCatagory> CatagoriesFromJson(const json& document, unsigned codePage) {
  TPlace place;
  place.Catagory = "?";
  if (!document.is_object() || !document.contains("catagories") ||
      !document.at("catagories").is_array())
    throw EMacroJson("Cannot import: the document must be an object with an array \"catagories\".");
  std::vector<TImportCatagory> result;
  for (const json& entry : document.at("catagories")) {
    place = TPlace();
    place.Catagory = entry.is_object() && entry.contains("name") && entry.at("name").is_string()
                         ? entry.at("name").get<std::string>()
                         : "#" + std::to_string(result.size());
    CheckKeys(entry, {"name", "macros"}, place);
    TImportCatagory catagory;
    if (!entry.contains("name")) place.Fail("name", "the catagory has no name.");
    catagory.Name = AnsiField(entry, "name", codePage, place, kCatagoryNameCapacity);
    // Checked here, with the rest, so that a bad name late in the document
    // cannot leave the categories before it written.
    if (catagory.Name.empty()) place.Fail("name", "the name is empty.");
    try {
      CheckCatagoryName(catagory.Name);
    } catch (const std::runtime_error& error) {
      place.Fail("name", error.what());
    }
    if (entry.contains("macros") && !entry.at("macros").is_array())
      place.Fail("macros", "an array was expected.");
    if (entry.contains("macros")) {
      for (const json& macro : entry.at("macros")) {
        place.Macro = static_cast<int>(catagory.Macros.size());
        place.Title.clear();
        catagory.Macros.push_back(MacroFromJson(macro, codePage, place));
      }
    }
    result.push_back(std::move(catagory));
  }
  return result;
}
