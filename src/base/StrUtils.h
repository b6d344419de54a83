// String helpers shared by the macro run and the dialogs.
//
// Strings hold 8-bit ANSI bytes. Positions are 1-based character indices and
// 0 means "not found" or "no more". Case handling knows only ASCII A-Z/a-z;
// bytes above 127 are never changed or folded.
//
// Every helper is reentrant: search tables live on the caller's stack, so two
// threads (or a nested call) never disturb each other. Positions are int, so
// strings are expected to stay below 2 GB.
//
// Out-of-range arguments never index outside the string: each function says
// what it does with them.
#pragma once

#include <string>

// Replaces every occurrence of `find` in `s` by `repl`, left to right, without
// overlap; inserted text is not searched again. Returns the number of
// replacements. An empty `find` changes nothing and returns 0. With
// `ignoreCase`, letters compare without regard to case and a '?' in `find`
// matches any byte (the rules of PosFromIgnoreCase). A result that does not
// grow is compacted in the text's own buffer; a longer one is allocated once,
// at its final size, after all matches have been found.
int ReplaceAll(std::string& s, const std::string& find, const std::string& repl,
               bool ignoreCase = false);

// Position of the first exact occurrence of `sub` in `s` that begins at or
// after `start`. 0 when either string is empty, when `start` < 1 or
// `start` > s.size(), or when `sub` does not fit in the rest of `s`.
int PosFrom(const std::string& s, const std::string& sub, int start);

// Like PosFrom, but a '?' in `sub` matches any byte, and a negative `start`
// asks for letters to compare without regard to case (its absolute value is
// the start position). A `start` of 0 or beyond the end returns 0.
int PosFromIgnoreCase(const std::string& s, const std::string& sub, int start);

// Position of the last occurrence of `sub` lying wholly within the first
// |limit| bytes of `s`; a limit of 0 or beyond the end means the whole string.
// A '?' in `sub` matches any byte; a negative `limit` compares letters without
// regard to case. 0 when either string is empty, when `sub` is longer than the
// searched part, or when there is no occurrence.
int LastPosBefore(const std::string& s, const std::string& sub, int limit);

// Removes `count` bytes starting at 1-based `index` (everything from `index`
// on when `count` reaches past the end) and returns the new length. The
// string itself is shortened here, so callers need not resize it. Nothing
// changes, and the old length is returned, when `s` is empty, `count` <= 0,
// `index` < 1 or `index` > s.size().
int DeleteInPlace(std::string& s, int index, int count);

// Finds the next `open` at or after `pos`, then the first `close` after it.
// On success `found` is the text between them and `pos` the position just
// after `close`; otherwise `found` is empty and `pos` is 0. Nothing is
// searched, and `pos` becomes 0, unless 0 < pos < s.size() and both `open`
// and `close` hold 1 to 256 bytes. Callers loop while pos > 0, from pos = 1.
void ExtractBetween(const std::string& s, const std::string& open,
                    const std::string& close, int& pos, std::string& found);

// Splits `s` at any byte of `delims`, one delimiter byte per call. From `pos`,
// `token` receives the bytes up to the next delimiter and `pos` moves just
// past it; without a further delimiter `token` is the rest and `pos` is 0.
// A double quote toggles a quoted stretch in which delimiters do not split,
// across line breaks too; the quote is kept in the token and never acts as a
// delimiter itself. When `pos` < 1, `pos` > s.size() or `delims` is empty,
// `token` is empty and `pos` is 0.
void NextToken(const std::string& s, const std::string& delims, int& pos,
               std::string& token);

// ASCII-only case mapping of one byte; every other byte is returned as is.
char SwapCaseChar(char c);
char LowerCaseChar(char c);
char UpperCaseChar(char c);

// The longest start of a UTF-8 text that takes at most maxBytes and ends
// between two characters: a character that does not fit whole is left out.
std::string Utf8Prefix(const std::string& text, std::size_t maxBytes);
