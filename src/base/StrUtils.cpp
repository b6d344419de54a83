#include "base/StrUtils.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

// ---------------------------------------------------------------------------
// ASCII case tables, computed by the compiler so that no start-up code runs.

static constexpr std::array<unsigned char, 256> MakeCaseTable(bool toLower, bool toUpper) {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        int mapped = c;
        if (toLower && c >= 'A' && c <= 'Z') mapped = c + ('a' - 'A');
        if (toUpper && c >= 'a' && c <= 'z') mapped = c - ('a' - 'A');
        table[c] = static_cast<unsigned char>(mapped);
    }
    return table;
}

static constexpr std::array<unsigned char, 256> kSwapCase = MakeCaseTable(true, true);
static constexpr std::array<unsigned char, 256> kLowerCase = MakeCaseTable(true, false);
static constexpr std::array<unsigned char, 256> kUpperCase = MakeCaseTable(false, true);

static_assert(kSwapCase['A'] == 'a' && kSwapCase['z'] == 'Z' && kSwapCase['@'] == '@');
static_assert(kLowerCase['Q'] == 'q' && kLowerCase['q'] == 'q' && kLowerCase[0xC4] == 0xC4);
static_assert(kUpperCase['q'] == 'Q' && kUpperCase['Q'] == 'Q' && kUpperCase['{'] == '{');

char SwapCaseChar(char c) { return static_cast<char>(kSwapCase[static_cast<unsigned char>(c)]); }
char LowerCaseChar(char c) { return static_cast<char>(kLowerCase[static_cast<unsigned char>(c)]); }
char UpperCaseChar(char c) { return static_cast<char>(kUpperCase[static_cast<unsigned char>(c)]); }

// ---------------------------------------------------------------------------
// Searching. Internal functions work on 0-based indexes and return npos when
// there is no match; the public ones convert to 1-based positions.

static constexpr size_t npos = std::string::npos;

// Longer delimiters are refused rather than searched; no tag comes near it.
static constexpr size_t kMaxDelimiterLength = 256;

static int ToPosition(size_t index) { return index == npos ? 0 : static_cast<int>(index + 1); }

static bool SameByte(char a, char b, bool foldCase) {
    if (!foldCase) return a == b;
    return kLowerCase[static_cast<unsigned char>(a)] == kLowerCase[static_cast<unsigned char>(b)];
}

static bool HasWildcard(const std::string& pattern) { return pattern.find('?') != npos; }

// Border table (longest proper prefix that is also a suffix) for a search
// that never re-reads a text byte, whatever the pattern. `pat(j)` yields the
// j-th pattern byte, so the same code serves forward and backward searches.
template <typename PatternAt>
static void BuildBorders(PatternAt pat, size_t m, bool foldCase, std::vector<size_t>& border) {
    border.assign(m, 0);
    size_t k = 0;
    for (size_t i = 1; i < m; ++i) {
        while (k > 0 && !SameByte(pat(i), pat(k), foldCase)) k = border[k - 1];
        if (SameByte(pat(i), pat(k), foldCase)) ++k;
        border[i] = k;
    }
}

// First match at or after `from` in a text of `n` bytes. Whenever no partial
// match is pending, `skipTo(i)` may jump ahead to the next index at which the
// pattern's first byte can start (or return n).
template <typename TextAt, typename PatternAt, typename SkipTo>
static size_t BorderSearch(TextAt text, size_t n, size_t from, PatternAt pat, size_t m,
                           bool foldCase, const std::vector<size_t>& border, SkipTo skipTo) {
    if (m == 0 || from > n || n - from < m) return npos;
    size_t matched = 0;
    for (size_t i = from; i < n; ++i) {
        if (matched == 0) {
            i = skipTo(i);
            if (i >= n || n - i < m) return npos;
        }
        while (matched > 0 && !SameByte(text(i), pat(matched), foldCase)) matched = border[matched - 1];
        if (SameByte(text(i), pat(matched), foldCase)) ++matched;
        if (matched == m) return i + 1 - m;
    }
    return npos;
}

// Forward search of a pattern without wildcards. Exact searches hop between
// candidate first bytes with memchr, which is where most of the time goes on
// long texts with few matches.
static size_t FindForward(const std::string& s, const std::string& sub, size_t from, bool foldCase,
                          const std::vector<size_t>& border) {
    const char* text = s.data();
    const size_t n = s.size();
    auto textAt = [text](size_t i) { return text[i]; };
    auto patAt = [&sub](size_t j) { return sub[j]; };
    if (foldCase) {
        return BorderSearch(textAt, n, from, patAt, sub.size(), true, border, [](size_t i) { return i; });
    }
    const char first = sub[0];
    auto skipTo = [text, n, first](size_t i) -> size_t {
        const void* hit = std::memchr(text + i, first, n - i);
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text) : n;
    };
    return BorderSearch(textAt, n, from, patAt, sub.size(), false, border, skipTo);
}

static bool WildcardMatchAt(const std::string& s, size_t at, const std::string& sub, bool foldCase) {
    for (size_t j = 0; j < sub.size(); ++j) {
        if (sub[j] != '?' && !SameByte(s[at + j], sub[j], foldCase)) return false;
    }
    return true;
}

// A '?' breaks the border arithmetic (it is not an equivalence), so wildcard
// patterns are compared position by position. No caller in the program passes
// one to a hot path.
static size_t FindWildcardForward(const std::string& s, const std::string& sub, size_t from, bool foldCase) {
    const size_t m = sub.size();
    if (from > s.size() || s.size() - from < m) return npos;
    for (size_t at = from; at + m <= s.size(); ++at) {
        if (WildcardMatchAt(s, at, sub, foldCase)) return at;
    }
    return npos;
}

static size_t FindWildcardBackward(const std::string& s, size_t end, const std::string& sub, bool foldCase) {
    const size_t m = sub.size();
    for (size_t at = end - m + 1; at-- > 0;) {
        if (WildcardMatchAt(s, at, sub, foldCase)) return at;
    }
    return npos;
}

// Last exact (or case-folded) match lying within s[0, end): the border search
// run over the reversed text with the reversed pattern.
static size_t FindBackward(const std::string& s, size_t end, const std::string& sub, bool foldCase) {
    const size_t m = sub.size();
    auto textAt = [&s, end](size_t i) { return s[end - 1 - i]; };
    auto patAt = [&sub, m](size_t j) { return sub[m - 1 - j]; };
    std::vector<size_t> border;
    BuildBorders(patAt, m, foldCase, border);
    const size_t hit = BorderSearch(textAt, end, 0, patAt, m, foldCase, border, [](size_t i) { return i; });
    return hit == npos ? npos : end - hit - m;
}

// Boyer-Moore-Horspool over a skip table kept on the stack, so that every
// call (and every thread) has its own. Horspool jumps well ahead on tag
// delimiters but degrades to text length x pattern length on texts such as
// "aaaa..." searched for "baaa"; once its comparisons exceed a budget linear
// in the text, the rest is handed to the border search.
static size_t FindBySkipTable(const std::string& s, const std::string& pat, size_t from) {
    const size_t n = s.size();
    const size_t m = pat.size();
    if (from > n || n - from < m) return npos;

    std::array<size_t, 256> skip;
    skip.fill(m);
    for (size_t i = 0; i + 1 < m; ++i) skip[static_cast<unsigned char>(pat[i])] = m - 1 - i;

    const size_t budget = 3 * (n - from) + m;
    size_t spent = 0;
    size_t at = from;
    while (at + m <= n) {
        size_t k = m;
        while (k > 0 && s[at + k - 1] == pat[k - 1]) --k;
        if (k == 0) return at;
        spent += m - k + 1;
        if (spent > budget) {
            std::vector<size_t> border;
            BuildBorders([&pat](size_t j) { return pat[j]; }, m, false, border);
            return FindForward(s, pat, at, false, border);
        }
        at += skip[static_cast<unsigned char>(s[at + m - 1])];
    }
    return npos;
}

// ---------------------------------------------------------------------------

int PosFrom(const std::string& s, const std::string& sub, int start) {
    if (s.empty() || sub.empty() || start < 1 || static_cast<size_t>(start) > s.size()) return 0;
    std::vector<size_t> border;
    BuildBorders([&sub](size_t j) { return sub[j]; }, sub.size(), false, border);
    return ToPosition(FindForward(s, sub, static_cast<size_t>(start) - 1, false, border));
}

int PosFromIgnoreCase(const std::string& s, const std::string& sub, int start) {
    const bool foldCase = start < 0;
    // Widened first: negating INT_MIN would overflow an int.
    const long long from = foldCase ? -static_cast<long long>(start) : start;
    if (s.empty() || sub.empty() || from < 1 || static_cast<unsigned long long>(from) > s.size()) return 0;
    const size_t index = static_cast<size_t>(from) - 1;
    if (HasWildcard(sub)) return ToPosition(FindWildcardForward(s, sub, index, foldCase));
    std::vector<size_t> border;
    BuildBorders([&sub](size_t j) { return sub[j]; }, sub.size(), foldCase, border);
    return ToPosition(FindForward(s, sub, index, foldCase, border));
}

int LastPosBefore(const std::string& s, const std::string& sub, int limit) {
    const bool foldCase = limit < 0;
    const unsigned long long wanted =
        foldCase ? static_cast<unsigned long long>(-static_cast<long long>(limit)) : static_cast<unsigned long long>(limit);
    const size_t end = (wanted == 0 || wanted > s.size()) ? s.size() : static_cast<size_t>(wanted);
    if (s.empty() || sub.empty() || sub.size() > end) return 0;
    if (HasWildcard(sub)) return ToPosition(FindWildcardBackward(s, end, sub, foldCase));
    return ToPosition(FindBackward(s, end, sub, foldCase));
}

// Next match at or after `from`, by the rules ReplaceAll promises.
static size_t FindForReplace(const std::string& s, const std::string& find, size_t from, bool ignoreCase,
                             bool wildcard, const std::vector<size_t>& border) {
    return wildcard ? FindWildcardForward(s, find, from, true) : FindForward(s, find, from, ignoreCase, border);
}

static bool FitsIn32Bits(unsigned long long n) { return (n >> 32) == 0; }

// A growing result: every match is found first, so that the result is
// allocated once at its final size. Dense matches make the offset list large
// (a million tags in 10 MB of text), so it holds 32-bit offsets whenever the
// text is short enough for them.
template <typename Offset>
static int ReplaceGrowing(std::string& s, const std::string& find, const std::string& repl, bool ignoreCase,
                          bool wildcard, const std::vector<size_t>& border) {
    const size_t m = find.size();
    std::vector<Offset> hits;
    for (size_t from = 0, hit; (hit = FindForReplace(s, find, from, ignoreCase, wildcard, border)) != npos;) {
        hits.push_back(static_cast<Offset>(hit));
        from = hit + m;
    }
    if (hits.empty()) return 0;
    std::string out;
    out.reserve(s.size() - hits.size() * m + hits.size() * repl.size());  // no overlap: hits * m <= size
    size_t copied = 0;
    for (size_t hit : hits) {
        out.append(s, copied, hit - copied);
        out.append(repl);
        copied = hit + m;
    }
    out.append(s, copied, npos);
    s.swap(out);
    return static_cast<int>(hits.size());
}

int ReplaceAll(std::string& s, const std::string& find, const std::string& repl, bool ignoreCase) {
    if (find.empty() || s.empty()) return 0;
    const size_t m = find.size();

    const bool wildcard = ignoreCase && HasWildcard(find);
    std::vector<size_t> border;
    if (!wildcard) BuildBorders([&find](size_t j) { return find[j]; }, m, ignoreCase, border);

    if (repl.size() <= m && &repl != &s && &find != &s) {
        // The result is no longer than the text, so it is compacted in the
        // text's own buffer as the matches are found: the write position never
        // passes the bytes already searched, and nothing is allocated.
        char* data = &s[0];
        size_t write = 0, read = 0, count = 0;
        for (size_t hit; (hit = FindForReplace(s, find, read, ignoreCase, wildcard, border)) != npos; ++count) {
            std::memmove(data + write, data + read, hit - read);
            write += hit - read;
            std::memcpy(data + write, repl.data(), repl.size());
            write += repl.size();
            read = hit + m;
        }
        if (count == 0) return 0;
        std::memmove(data + write, data + read, s.size() - read);
        s.resize(write + s.size() - read);
        return static_cast<int>(count);
    }

    return FitsIn32Bits(s.size()) ? ReplaceGrowing<uint32_t>(s, find, repl, ignoreCase, wildcard, border)
                                  : ReplaceGrowing<size_t>(s, find, repl, ignoreCase, wildcard, border);
}

int DeleteInPlace(std::string& s, int index, int count) {
    const size_t n = s.size();
    if (n == 0 || count <= 0 || index < 1 || static_cast<size_t>(index) > n) return static_cast<int>(n);
    const size_t at = static_cast<size_t>(index) - 1;
    s.erase(at, std::min(static_cast<size_t>(count), n - at));
    return static_cast<int>(s.size());
}

void ExtractBetween(const std::string& s, const std::string& open, const std::string& close, int& pos,
                    std::string& found) {
    // `found` is written last so that it may be the same object as `s`.
    const size_t n = s.size();
    const bool usable = pos > 0 && static_cast<size_t>(pos) < n && !open.empty() && !close.empty() &&
                        open.size() <= kMaxDelimiterLength && close.size() <= kMaxDelimiterLength;
    const size_t openAt = usable ? FindBySkipTable(s, open, static_cast<size_t>(pos) - 1) : npos;
    const size_t inner = openAt == npos ? npos : openAt + open.size();
    const size_t closeAt = inner == npos ? npos : FindBySkipTable(s, close, inner);
    if (closeAt == npos) {
        pos = 0;
        found.clear();
        return;
    }
    pos = ToPosition(closeAt + close.size());
    found = s.substr(inner, closeAt - inner);
}

void NextToken(const std::string& s, const std::string& delims, int& pos, std::string& token) {
    const size_t n = s.size();
    if (pos < 1 || static_cast<size_t>(pos) > n || delims.empty()) {
        pos = 0;
        token.clear();
        return;
    }
    std::array<bool, 256> isDelimiter{};
    for (char c : delims) isDelimiter[static_cast<unsigned char>(c)] = true;

    const size_t start = static_cast<size_t>(pos) - 1;
    bool quoted = false;
    for (size_t i = start; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && isDelimiter[c]) {
            pos = ToPosition(i + 1);
            token = s.substr(start, i - start);
            return;
        }
    }
    pos = 0;
    token = s.substr(start);
}

std::string Utf8Prefix(const std::string& text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = maxBytes;
  // Back over the continuation bytes of the character the limit cuts.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}
