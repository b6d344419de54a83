#pragma once
// "Store macros as Unicode..." of the settings window, without the window:
// whether it is offered, what it asks, and the conversion itself with what
// the window then says.
//
// The conversion works on a store of its own, loaded from the folder for it,
// never on the running program's store (which belongs to the main thread, or
// to the macro editor's thread while that is open). The folder is written as
// another program would write it; the program's folder watch then reads it
// again, and since the mark changed, the whole store is read anew in UTF-8
// (TCatagories::Refresh), on the thread that owns it. A change the editor
// makes meanwhile is never written over: each category file is checked
// against the stamp its store last saw, so the conversion, or the editor's
// change, is refused instead.

#include <string>

#include "store/StoreEncoding.h"

constexpr const char* kUnicodeCommandCaption = "Store macros as &Unicode...";
constexpr const char* kUnicodeDoneCaption = "Macros are stored as Unicode";
constexpr const char* kUnicodeQuestionCaption = "Store macros as Unicode";

// Whether the folder may still be converted: not when it is marked UTF-8
// already, nor when its mark names an encoding this program does not know.
bool OffersUnicodeConversion(const std::string& macrosDir);

// The question asked before converting (answered Yes or No, No the default).
std::string UnicodeConversionQuestion(const std::string& macrosDir);

struct TUnicodeConversion {
  bool Converted = false;
  std::string Message;  // the counts and the backup, or why nothing was written
};

// Converts the folder's texts from codePage to UTF-8, writing today's backup
// (Backup\macros-YYYY-MM-DD.json beside the folder) first. Never raises: a
// refusal (a text that would outgrow its field, a file that cannot be
// written) comes back as the message, and the folder is as it was.
TUnicodeConversion ConvertMacrosToUnicode(const std::string& macrosDir, unsigned codePage);
