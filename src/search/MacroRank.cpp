#include "search/MacroRank.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The parts of a subsequence match's score.
constexpr int kMatchPoints = 1;
constexpr int kWordStartPoints = 8;
constexpr int kFollowPoints = 6;
constexpr int kTextStartPoints = 4;
constexpr int kNone = -1000000;

bool IsWordChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u >= 0x80;
}

bool StartsWord(const std::string& text, std::size_t at) { return at == 0 || !IsWordChar(text[at - 1]); }

constexpr int kTitleTier = 0;
constexpr int kCatagoryTier = 1;
constexpr int kTextTier = 2;

struct TRanked {
  int Position;
  int Tier;
  int Score;
};

bool Holds(const std::string& text, const std::string& key) { return text.find(key) != std::string::npos; }

// One character of the key, as its bytes.
struct TPiece {
  const char* Bytes;
  std::size_t Length;
};

// The bytes of the UTF-8 character at `at` (1 for a byte that starts none).
std::size_t CharacterLength(const std::string& text, std::size_t at) {
  unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (at + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
  return length;
}

bool StartsHere(const std::string& text, std::size_t at, const TPiece& piece) {
  return text[at] == piece.Bytes[0] &&
         (piece.Length == 1 || (at + piece.Length <= text.size() &&
                                std::memcmp(text.data() + at + 1, piece.Bytes + 1, piece.Length - 1) == 0));
}

}  // namespace

int SubsequenceScore(const std::string& text, const std::string& key) {
  if (key.empty()) return 0;
  if (key.size() > text.size()) return -1;
  // The key's characters, each matched whole: a character of several bytes
  // never matches pieces of different characters of the text. Kept between
  // calls, like the tables below: a search calls this for every macro.
  thread_local std::vector<TPiece> pieces;
  pieces.clear();
  for (std::size_t at = 0; at < key.size();) {
    std::size_t length = CharacterLength(key, at);
    pieces.push_back({key.data() + at, length});
    at += length;
  }
  // A quick pass first: most texts do not hold the key at all.
  std::size_t at = 0;
  for (const TPiece& piece : pieces) {
    at = text.find(piece.Bytes, at, piece.Length);
    if (at == std::string::npos) return -1;
    at += piece.Length;
  }
  // best[j]: the best score of the key so far with its last character
  // starting at text position j. A character scores more at a word start
  // and right after the previous one; any gap costs nothing more than
  // losing that.
  thread_local std::vector<int> best, next;
  const std::size_t n = text.size();
  best.assign(n, kNone);
  next.assign(n, kNone);
  for (std::size_t j = 0; j < n; ++j)
    if (StartsHere(text, j, pieces[0]))
      best[j] = kMatchPoints + (StartsWord(text, j) ? kWordStartPoints : 0) + (j == 0 ? kTextStartPoints : 0);
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    const std::size_t previous = pieces[i - 1].Length;
    int before = kNone;  // the best of best[0 .. j-previous-1]: a gap between the two
    for (std::size_t j = 0; j < n; ++j) {
      next[j] = kNone;
      if (j > previous) before = std::max(before, best[j - previous - 1]);
      if (j < previous || !StartsHere(text, j, pieces[i])) continue;
      int follow = best[j - previous];
      int from = std::max(before, follow == kNone ? kNone : follow + kFollowPoints);
      if (from == kNone) continue;
      next[j] = from + kMatchPoints + (StartsWord(text, j) ? kWordStartPoints : 0);
    }
    best.swap(next);
  }
  int score = *std::max_element(best.begin(), best.end());
  return score == kNone ? -1 : score;
}

TMacroKey MacroKeyOf(const TMacroEntry& entry) {
  TMacroKey key;
  key.Catagory = entry.CatagoryName;
  key.Title = entry.Title;
  key.ShortCut = entry.ShortCutValue;
  return key;
}

bool IsMacroOfKey(const TCatagory& catagory, const TMacro& macro, const TMacroKey& key, unsigned codePage) {
  return macro.ShortCut == key.ShortCut && ShownText(GetTitle(macro), codePage) == key.Title &&
         ShownText(catagory.Name, codePage) == key.Catagory;
}

int FindMacroEntry(const TMacroIndex& index, const TMacroKey& key) {
  const std::vector<TMacroEntry>& entries = index.Entries();
  int sameTitle = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TMacroEntry& entry = entries[i];
    if (entry.Title != key.Title || entry.CatagoryName != key.Catagory) continue;
    if (entry.ShortCutValue == key.ShortCut) return static_cast<int>(i);
    if (sameTitle < 0) sameTitle = static_cast<int>(i);
  }
  return sameTitle;
}

std::vector<int> RankMacros(const TMacroIndex& index, const std::string& query,
                            const std::vector<TMacroKey>& recentUse) {
  const std::vector<TMacroEntry>& entries = index.Entries();
  const std::string key = SearchKey(query);
  std::vector<int> order;
  order.reserve(entries.size());
  if (key.empty()) {
    std::vector<char> placed(entries.size(), 0);
    for (const TMacroKey& recent : recentUse) {
      int at = FindMacroEntry(index, recent);
      if (at < 0 || placed[at]) continue;
      placed[at] = 1;
      order.push_back(at);
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (!placed[i]) order.push_back(static_cast<int>(i));
    return order;
  }
  std::vector<TRanked> ranked;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TMacroEntry& entry = entries[i];
    TRanked one{static_cast<int>(i), kTitleTier, SubsequenceScore(entry.LowerTitle, key)};
    if (one.Score < 0) {
      one.Tier = kCatagoryTier;
      one.Score = SubsequenceScore(entry.LowerCatagory, key);
    }
    if (one.Score < 0) {
      one.Tier = kTextTier;
      one.Score = Holds(entry.LowerText, key) || Holds(entry.LowerKind, key) || Holds(entry.LowerShortCut, key)
                      ? 0 : -1;
    }
    if (one.Score >= 0) ranked.push_back(one);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const TRanked& a, const TRanked& b) {
    return a.Tier != b.Tier ? a.Tier < b.Tier : a.Score > b.Score;
  });
  for (const TRanked& one : ranked) order.push_back(one.Position);
  return order;
}
