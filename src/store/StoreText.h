#pragma once
// How the texts of a macros folder meet the program's Unicode windows:
// shown as UTF-8 whatever the folder holds, and taken back in the folder's
// own form (bytes of the ANSI code page, or UTF-8), with a clear refusal for
// what the folder cannot hold. Nothing is ever stored as "?".

#include <cstddef>
#include <stdexcept>
#include <string>

#include "store/StoreEncoding.h"

// A text refused before it reaches a record; the message says why and what to do.
class EStoreText : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The code page a store's texts are in on this system: UTF-8 for a UTF-8
// folder, the system's ANSI code page for any other.
unsigned StoreTextCodePage(TStoreEncoding encoding);

// A stored text as UTF-8 for a window. Never fails: a byte the code page
// does not define (or, in UTF-8, a broken sequence) shows as U+FFFD.
std::string StoreTextToUtf8(const std::string& text, unsigned codePage);

// A text typed in a window (UTF-8) in the store's form. Raises EStoreText
// when the code page cannot hold one of its characters, naming the
// character and `what` ("the title", "the template 'Line'").
std::string Utf8ToStoreText(const std::string& utf8, unsigned codePage, const std::string& what);

// Raises EStoreText when the stored form takes more than capacity bytes:
// "This title is too long: 25 bytes at most, 'Résumé → ✓' takes 16."
// (`what` is "title"; `shown` the UTF-8 text the user sees.)
void CheckStoreTextFits(const std::string& stored, std::size_t capacity, const std::string& what,
                        const std::string& shown);

// The first character of a UTF-8 text that the code page cannot hold
// (empty when there is none), shown as "'→' (U+2192)" in `named`.
bool FindUnstorableCharacter(const std::string& utf8, unsigned codePage, std::string& named);
