#pragma once
// The picker's order: which macros a query finds and how they rank.
//
// The query's characters must appear in order, not necessarily together
// ("blq" finds "Block quote"). A title that holds them ranks above a
// category name that does, which ranks above a macro whose template texts,
// kind or shortcut text hold the query as typed (texts are long: scattered
// characters there would find nearly everything). Within the title and the
// category, characters that start words or follow each other score higher.
// Equal scores keep store order. With an empty query the macros run most
// recently come first, then the rest in store order.

#include <vector>

#include "search/MacroIndex.h"
#include "store/Settings.h"

// How well the (case-folded, UTF-8) key matches the (case-folded, UTF-8)
// text as a subsequence of whole characters; -1 when it does not. Higher is
// better.
int SubsequenceScore(const std::string& text, const std::string& key);

// The macro's lasting name (category, title, shortcut), its texts as shown.
TMacroKey MacroKeyOf(const TMacroEntry& entry);
// Whether a macro of the store (texts in the code page) is the one the key names.
bool IsMacroOfKey(const TCatagory& catagory, const TMacro& macro, const TMacroKey& key, unsigned codePage);
// The position in index.Entries() of the macro with this name: the first
// with the same category, title and shortcut, else the first with the same
// category and title (its shortcut was changed since); -1 for none.
int FindMacroEntry(const TMacroIndex& index, const TMacroKey& key);

// Positions in index.Entries(), best first.
std::vector<int> RankMacros(const TMacroIndex& index, const std::string& query,
                            const std::vector<TMacroKey>& recentUse);
