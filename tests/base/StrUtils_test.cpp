#include "base/StrUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>
#include <string>

// ---------------------------------------------------------------------------
// Naive reference searches, compared against the helpers on generated text.

static bool RefMatchAt(const std::string& s, size_t at, const std::string& sub, bool fold, bool wildcard) {
    for (size_t j = 0; j < sub.size(); ++j) {
        char a = s[at + j], b = sub[j];
        if (wildcard && b == '?') continue;
        if (fold) {
            if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
            if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
        }
        if (a != b) return false;
    }
    return true;
}

static int RefFirst(const std::string& s, const std::string& sub, size_t from, bool fold, bool wildcard) {
    for (size_t at = from; at + sub.size() <= s.size(); ++at)
        if (RefMatchAt(s, at, sub, fold, wildcard)) return static_cast<int>(at + 1);
    return 0;
}

static int RefLast(const std::string& s, const std::string& sub, size_t end, bool fold) {
    int last = 0;
    for (size_t at = 0; at + sub.size() <= end; ++at)
        if (RefMatchAt(s, at, sub, fold, true)) last = static_cast<int>(at + 1);
    return last;
}

static std::string RefReplace(const std::string& s, const std::string& find, const std::string& repl, bool fold,
                              int& count) {
    std::string out;
    count = 0;
    size_t i = 0;
    while (i < s.size()) {
        if (i + find.size() <= s.size() && RefMatchAt(s, i, find, fold, fold)) {
            out += repl;
            i += find.size();
            ++count;
        } else {
            out += s[i++];
        }
    }
    return out;
}

// Short strings over a tiny alphabet, so that matches, near misses and
// self-overlapping patterns are frequent.
static std::string RandomText(std::mt19937& rng, const std::string& alphabet, size_t maxLength) {
    std::string s(std::uniform_int_distribution<size_t>(0, maxLength)(rng), ' ');
    for (char& c : s) c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
    return s;
}

// ---------------------------------------------------------------------------

TEST(ReplaceAll, MatchesDoNotOverlapAndInsertedTextIsNotSearched) {
    std::string s = "aaa";
    EXPECT_EQ(ReplaceAll(s, "aa", "b"), 1);
    EXPECT_EQ(s, "ba");

    s = "aaa";
    EXPECT_EQ(ReplaceAll(s, "a", "aa"), 3);
    EXPECT_EQ(s, "aaaaaa");

    s = "{line}{line}";
    EXPECT_EQ(ReplaceAll(s, "{line}", "{line}x"), 2);
    EXPECT_EQ(s, "{line}x{line}x");
}

TEST(ReplaceAll, EmptyFindChangesNothing) {
    std::string s = "anything";
    EXPECT_EQ(ReplaceAll(s, "", "x"), 0);
    EXPECT_EQ(s, "anything");
}

TEST(ReplaceAll, EmptyReplacementDeletesEveryMatch) {
    std::string s = "xaxbxx";
    EXPECT_EQ(ReplaceAll(s, "x", ""), 4);
    EXPECT_EQ(s, "ab");

    s = "xxx";
    EXPECT_EQ(ReplaceAll(s, "x", ""), 3);
    EXPECT_EQ(s, "");
}

TEST(ReplaceAll, MatchesAtBothEndsAndGrowingOrShrinking) {
    std::string s = "{n}a{n}b{n}";
    EXPECT_EQ(ReplaceAll(s, "{n}", "\r\n"), 3);
    EXPECT_EQ(s, "\r\na\r\nb\r\n");
    EXPECT_EQ(ReplaceAll(s, "\r\n", "{n}"), 3);
    EXPECT_EQ(s, "{n}a{n}b{n}");
}

TEST(ReplaceAll, NoMatchLeavesTextAlone) {
    std::string s = "abc";
    EXPECT_EQ(ReplaceAll(s, "abcd", "x"), 0);
    EXPECT_EQ(ReplaceAll(s, "B", "x"), 0);
    EXPECT_EQ(s, "abc");

    std::string empty;
    EXPECT_EQ(ReplaceAll(empty, "a", "x"), 0);
    EXPECT_EQ(empty, "");
}

TEST(ReplaceAll, IgnoreCaseFoldsAsciiOnlyAndTreatsQuestionMarkAsWildcard) {
    std::string s = "ABC abc aBc";
    EXPECT_EQ(ReplaceAll(s, "abc", "-", true), 3);
    EXPECT_EQ(s, "- - -");

    s = "a1c A2C a?c";
    EXPECT_EQ(ReplaceAll(s, "a?c", "#", true), 3);
    EXPECT_EQ(s, "# # #");

    s = "a1c a?c";
    EXPECT_EQ(ReplaceAll(s, "a?c", "#"), 1) << "without ignoreCase '?' is literal";
    EXPECT_EQ(s, "a1c #");

    s = "\xC4\xE4";
    EXPECT_EQ(ReplaceAll(s, "\xE4", "x", true), 1);
    EXPECT_EQ(s, "\xC4x");
}

TEST(ReplaceAll, ArgumentsMayAliasTheText) {
    std::string s = "abc";
    EXPECT_EQ(ReplaceAll(s, s, "x"), 1);
    EXPECT_EQ(s, "x");

    s = "ab";
    EXPECT_EQ(ReplaceAll(s, "b", s), 1);
    EXPECT_EQ(s, "aab");
}

TEST(ReplaceAll, AgreesWithNaiveReplacementOnGeneratedText) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 3000; ++round) {
        const bool fold = round % 2 == 1;
        const std::string s = RandomText(rng, fold ? "aAb?" : "aab", 40);
        std::string find = RandomText(rng, fold ? "aAb?" : "ab", 5);
        if (find.empty()) find = "a";
        const std::string repl = RandomText(rng, "xy", 3);
        int expectedCount = 0;
        const std::string expected = RefReplace(s, find, repl, fold, expectedCount);
        std::string actual = s;
        ASSERT_EQ(ReplaceAll(actual, find, repl, fold), expectedCount) << s << " / " << find;
        ASSERT_EQ(actual, expected) << s << " / " << find;
    }
}

// ---------------------------------------------------------------------------

TEST(PosFrom, FindsFirstOccurrenceAtOrAfterStart) {
    EXPECT_EQ(PosFrom("xabab", "ab", 1), 2);
    EXPECT_EQ(PosFrom("xabab", "ab", 2), 2);
    EXPECT_EQ(PosFrom("xabab", "ab", 3), 4);
    EXPECT_EQ(PosFrom("xabab", "ab", 4), 4);
    EXPECT_EQ(PosFrom("xabab", "ab", 5), 0) << "sub does not fit in the rest";
}

TEST(PosFrom, StartAtLastCharacter) {
    EXPECT_EQ(PosFrom("abc", "c", 3), 3);
    EXPECT_EQ(PosFrom("abc", "b", 3), 0);
}

TEST(PosFrom, OutOfRangeStartOrEmptyStringsGiveZero) {
    EXPECT_EQ(PosFrom("abc", "a", 0), 0);
    EXPECT_EQ(PosFrom("abc", "a", -1), 0);
    EXPECT_EQ(PosFrom("abc", "a", INT_MIN), 0);
    EXPECT_EQ(PosFrom("abc", "c", 4), 0);
    EXPECT_EQ(PosFrom("abc", "c", INT_MAX), 0);
    EXPECT_EQ(PosFrom("", "a", 1), 0);
    EXPECT_EQ(PosFrom("abc", "", 1), 0);
    EXPECT_EQ(PosFrom("ab", "abc", 1), 0);
}

TEST(PosFrom, ComparesExactly) {
    EXPECT_EQ(PosFrom("ABC", "b", 1), 0);
    EXPECT_EQ(PosFrom("abc", "?", 1), 0);
    EXPECT_EQ(PosFrom("a?c", "?", 1), 2);
    EXPECT_EQ(PosFrom("\xE4\xC4", "\xC4", 1), 2);
    EXPECT_EQ(PosFrom(std::string("a\0b", 3), std::string("\0b", 2), 1), 2);
}

TEST(PosFrom, SelfOverlappingPatternsAfterPartialMatches) {
    EXPECT_EQ(PosFrom("aaab", "aab", 1), 2);
    EXPECT_EQ(PosFrom("abababc", "ababc", 1), 3);
    EXPECT_EQ(PosFrom("abcabd abcabcabd", "abcabd", 2), 11);
}

TEST(PosFrom, AgreesWithNaiveSearchOnGeneratedText) {
    std::mt19937 rng(42);
    for (int round = 0; round < 3000; ++round) {
        const std::string s = RandomText(rng, "ab", 30);
        const std::string sub = RandomText(rng, "ab", 5);
        const int start = std::uniform_int_distribution<int>(-2, 32)(rng);
        const bool inRange = !s.empty() && !sub.empty() && start >= 1 && start <= static_cast<int>(s.size());
        const int expected = inRange ? RefFirst(s, sub, start - 1, false, false) : 0;
        ASSERT_EQ(PosFrom(s, sub, start), expected) << s << " / " << sub << " from " << start;
    }
}

// ---------------------------------------------------------------------------

TEST(PosFromIgnoreCase, PositiveStartIsCaseSensitiveWithWildcards) {
    EXPECT_EQ(PosFromIgnoreCase("xAbc", "a?c", 1), 0);
    EXPECT_EQ(PosFromIgnoreCase("xabc", "a?c", 1), 2);
    EXPECT_EQ(PosFromIgnoreCase("xabc", "???", 2), 2);
    EXPECT_EQ(PosFromIgnoreCase("xabc", "???", 3), 0);
}

TEST(PosFromIgnoreCase, NegativeStartFoldsCase) {
    EXPECT_EQ(PosFromIgnoreCase("xAbC", "abc", -1), 2);
    EXPECT_EQ(PosFromIgnoreCase("xAbC", "ABC", -2), 2);
    EXPECT_EQ(PosFromIgnoreCase("xAbC", "abc", -3), 0);
    EXPECT_EQ(PosFromIgnoreCase("xAbC aBc", "A?C", -3), 6);
    EXPECT_EQ(PosFromIgnoreCase("xAbC", "c", -4), 4);
}

TEST(PosFromIgnoreCase, FoldingLeavesBytesAbove127Alone) {
    EXPECT_EQ(PosFromIgnoreCase("\xC4", "\xE4", -1), 0);
    EXPECT_EQ(PosFromIgnoreCase("a\xC4", "A\xC4", -1), 1);
}

TEST(PosFromIgnoreCase, OutOfRangeStartGivesZero) {
    EXPECT_EQ(PosFromIgnoreCase("abc", "a", 0), 0);
    EXPECT_EQ(PosFromIgnoreCase("abc", "c", 4), 0);
    EXPECT_EQ(PosFromIgnoreCase("abc", "c", -4), 0);
    EXPECT_EQ(PosFromIgnoreCase("abc", "c", INT_MIN), 0);
    EXPECT_EQ(PosFromIgnoreCase("abc", "c", INT_MAX), 0);
    EXPECT_EQ(PosFromIgnoreCase("", "?", -1), 0);
    EXPECT_EQ(PosFromIgnoreCase("abc", "", -1), 0);
}

TEST(PosFromIgnoreCase, AgreesWithNaiveSearchOnGeneratedText) {
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string s = RandomText(rng, "aAbB", 30);
        const std::string sub = RandomText(rng, round % 3 == 0 ? "aAb?" : "aAbB", 5);
        const int start = std::uniform_int_distribution<int>(-32, 32)(rng);
        const int from = start < 0 ? -start : start;
        const bool inRange = !s.empty() && !sub.empty() && from >= 1 && from <= static_cast<int>(s.size());
        const int expected = inRange ? RefFirst(s, sub, from - 1, start < 0, true) : 0;
        ASSERT_EQ(PosFromIgnoreCase(s, sub, start), expected) << s << " / " << sub << " from " << start;
    }
}

// ---------------------------------------------------------------------------

TEST(LastPosBefore, OccurrenceMustLieWhollyWithinLimit) {
    EXPECT_EQ(LastPosBefore("{!a{!b", "{!", 4), 1);
    EXPECT_EQ(LastPosBefore("{!a{!b", "{!", 5), 4);
    EXPECT_EQ(LastPosBefore("{!a{!b", "{!", 0), 4);
    EXPECT_EQ(LastPosBefore("{!a{!b", "{!", 6), 4);
    EXPECT_EQ(LastPosBefore("{!a{!b", "{!", 1000), 4);
    EXPECT_EQ(LastPosBefore("{!a{!b", "{!", 1), 0);
}

TEST(LastPosBefore, NegativeLimitFoldsCase) {
    EXPECT_EQ(LastPosBefore("aBxab", "AB", -5), 4);
    EXPECT_EQ(LastPosBefore("aBxab", "AB", -3), 1);
    EXPECT_EQ(LastPosBefore("aBxab", "AB", 5), 0);
    EXPECT_EQ(LastPosBefore("aBxab", "AB", INT_MIN), 4) << "beyond the end means the whole string";
    EXPECT_EQ(LastPosBefore("\xC4", "\xE4", -1), 0);
}

TEST(LastPosBefore, QuestionMarkMatchesAnyCharacter) {
    EXPECT_EQ(LastPosBefore("a1b a2b", "a?b", 0), 5);
    EXPECT_EQ(LastPosBefore("a1b a2b", "a?b", 6), 1);
    EXPECT_EQ(LastPosBefore("A1b", "a?B", -3), 1);
    EXPECT_EQ(LastPosBefore("xyz", "??", 0), 2);
}

TEST(LastPosBefore, EmptyOrTooLongGivesZero) {
    EXPECT_EQ(LastPosBefore("", "a", 0), 0);
    EXPECT_EQ(LastPosBefore("abc", "", 0), 0);
    EXPECT_EQ(LastPosBefore("abc", "abc", 2), 0);
    EXPECT_EQ(LastPosBefore("abc", "abcd", 0), 0);
    EXPECT_EQ(LastPosBefore("abc", "abc", 3), 1);
}

TEST(LastPosBefore, AgreesWithNaiveSearchOnGeneratedText) {
    std::mt19937 rng(99);
    for (int round = 0; round < 3000; ++round) {
        const std::string s = RandomText(rng, "aAbB", 30);
        const std::string sub = RandomText(rng, round % 3 == 0 ? "ab?" : "aAbB", 4);
        const int limit = std::uniform_int_distribution<int>(-32, 32)(rng);
        const size_t wanted = static_cast<size_t>(limit < 0 ? -limit : limit);
        const size_t end = (wanted == 0 || wanted > s.size()) ? s.size() : wanted;
        const int expected = (s.empty() || sub.empty()) ? 0 : RefLast(s, sub, end, limit < 0);
        ASSERT_EQ(LastPosBefore(s, sub, limit), expected) << s << " / " << sub << " limit " << limit;
    }
}

// ---------------------------------------------------------------------------

TEST(DeleteInPlace, RemovesAndShortensTheString) {
    std::string s = "abcdef";
    EXPECT_EQ(DeleteInPlace(s, 2, 3), 3);
    EXPECT_EQ(s, "aef");

    s = "abcdef";
    EXPECT_EQ(DeleteInPlace(s, 1, 6), 0);
    EXPECT_EQ(s, "");

    s = "abcdef";
    EXPECT_EQ(DeleteInPlace(s, 6, 1), 5);
    EXPECT_EQ(s, "abcde");
}

TEST(DeleteInPlace, CountPastTheEndRemovesTheRest) {
    std::string s = "abcdef";
    EXPECT_EQ(DeleteInPlace(s, 2, 100), 1);
    EXPECT_EQ(s, "a");

    s = "abcdef";
    EXPECT_EQ(DeleteInPlace(s, 4, INT_MAX), 3);
    EXPECT_EQ(s, "abc");
}

TEST(DeleteInPlace, OutOfRangeArgumentsChangeNothing) {
    const struct {
        int index, count;
    } cases[] = {{1, 0}, {1, -1}, {0, 2}, {-3, 2}, {INT_MIN, 2}, {7, 1}, {INT_MAX, 1}};
    for (const auto& c : cases) {
        std::string s = "abcdef";
        EXPECT_EQ(DeleteInPlace(s, c.index, c.count), 6) << c.index << "," << c.count;
        EXPECT_EQ(s, "abcdef") << c.index << "," << c.count;
    }
    std::string empty;
    EXPECT_EQ(DeleteInPlace(empty, 1, 1), 0);
}

// ---------------------------------------------------------------------------

TEST(ExtractBetween, WalksThroughTagsOneCallAtATime) {
    const std::string s = "x{$a}y{$b}";
    int pos = 1;
    std::string found = "stale";
    ExtractBetween(s, "{$", "}", pos, found);
    EXPECT_EQ(found, "a");
    EXPECT_EQ(pos, 6);
    ExtractBetween(s, "{$", "}", pos, found);
    EXPECT_EQ(found, "b");
    EXPECT_EQ(pos, 11);
    ExtractBetween(s, "{$", "}", pos, found);
    EXPECT_EQ(found, "");
    EXPECT_EQ(pos, 0);
}

TEST(ExtractBetween, OpeningWithoutCloseEndsTheScan) {
    int pos = 1;
    std::string found = "stale";
    ExtractBetween("x{$a y{$b", "{$", "}", pos, found);
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(found, "");

    pos = 1;
    ExtractBetween("{!}", "{!", "!}", pos, found);
    EXPECT_EQ(pos, 0) << "close is searched only after the whole opening";
}

TEST(ExtractBetween, NameRunsToTheFirstCloseWithoutNesting) {
    int pos = 1;
    std::string found;
    ExtractBetween("{$a{$b}}", "{$", "}", pos, found);
    EXPECT_EQ(found, "a{$b");
    EXPECT_EQ(pos, 8);

    pos = 1;
    ExtractBetween("{$}z", "{$", "}", pos, found);
    EXPECT_EQ(found, "");
    EXPECT_EQ(pos, 4) << "an empty name is still a tag";
}

TEST(ExtractBetween, MultiByteAndHighByteDelimiters) {
    int pos = 2;
    std::string found;
    ExtractBetween("<b>1</b><b>22</b>", "<b>", "</b>", pos, found);
    EXPECT_EQ(found, "22");
    EXPECT_EQ(pos, 18);

    pos = 1;
    ExtractBetween("a\xAB\xE4\xBB", "\xAB", "\xBB", pos, found);
    EXPECT_EQ(found, "\xE4");
    EXPECT_EQ(pos, 5);
}

TEST(ExtractBetween, PositionMustBeBeforeTheLastCharacter) {
    const std::string s = "{$a}";
    for (int start : {0, -1, INT_MIN, 4, 5, INT_MAX}) {
        int pos = start;
        std::string found = "stale";
        ExtractBetween(s, "{$", "}", pos, found);
        EXPECT_EQ(pos, 0) << start;
        EXPECT_EQ(found, "") << start;
    }
    int pos = 3;
    std::string found;
    ExtractBetween("ab{}", "{", "}", pos, found);
    EXPECT_EQ(pos, 5);
    EXPECT_EQ(found, "");
}

TEST(ExtractBetween, DelimitersMustHoldOneTo256Characters) {
    std::string found;
    int pos = 1;
    ExtractBetween("{a}", "", "}", pos, found);
    EXPECT_EQ(pos, 0);
    pos = 1;
    ExtractBetween("{a}", "{", "", pos, found);
    EXPECT_EQ(pos, 0);

    const std::string open256(256, '<'), open257(257, '<');
    pos = 1;
    ExtractBetween(open256 + "x>", open256, ">", pos, found);
    EXPECT_EQ(found, "x");
    pos = 1;
    ExtractBetween(open257 + "x>", open257, ">", pos, found);
    EXPECT_EQ(pos, 0);
}

TEST(ExtractBetween, FoundMayAliasTheText) {
    std::string s = "x{$name}";
    int pos = 1;
    ExtractBetween(s, "{$", "}", pos, s);
    EXPECT_EQ(s, "name");
    EXPECT_EQ(pos, 9);
}

TEST(ExtractBetween, SkipSearchHandlesRepetitiveText) {
    // Every alignment nearly matches "baaa" from the right: the worst case of
    // a skip-table search.
    const std::string s = "x" + std::string(20000, 'a') + "baaa:v;";
    int pos = 1;
    std::string found;
    ExtractBetween(s, "baaa", ";", pos, found);
    EXPECT_EQ(found, ":v");
    EXPECT_EQ(pos, static_cast<int>(s.size()) + 1);
}

TEST(ExtractBetween, AgreesWithNaiveSearchOnGeneratedText) {
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        const std::string s = RandomText(rng, "aab{}", 40);
        std::string open = RandomText(rng, "ab{", 4), close = RandomText(rng, "a}", 3);
        if (open.empty()) open = "{";
        if (close.empty()) close = "}";
        const int start = std::uniform_int_distribution<int>(1, 40)(rng);

        int expectedPos = 0;
        std::string expectedFound;
        if (start < static_cast<int>(s.size())) {
            const int p = RefFirst(s, open, start - 1, false, false);
            const int q = p == 0 ? 0 : RefFirst(s, close, p - 1 + open.size(), false, false);
            if (q != 0) {
                expectedFound = s.substr(p - 1 + open.size(), q - p - open.size());
                expectedPos = q + static_cast<int>(close.size());
            }
        }
        int pos = start;
        std::string found;
        ExtractBetween(s, open, close, pos, found);
        ASSERT_EQ(pos, expectedPos) << s << " / " << open << " " << close << " from " << start;
        ASSERT_EQ(found, expectedFound) << s << " / " << open << " " << close << " from " << start;
    }
}

// ---------------------------------------------------------------------------

static const std::string kLineBreaks = "\r\n";

TEST(NextToken, EachLineBreakCharacterEndsAToken) {
    const std::string s = "a\r\nb";
    int pos = 1;
    std::string token;
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "a");
    EXPECT_EQ(pos, 3);
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "");
    EXPECT_EQ(pos, 4);
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "b");
    EXPECT_EQ(pos, 0);
}

TEST(NextToken, DelimiterAsLastCharacterEndsWithTheNextCall) {
    const std::string s = "a\n";
    int pos = 1;
    std::string token;
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "a");
    EXPECT_EQ(pos, 3);
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "");
    EXPECT_EQ(pos, 0);
}

TEST(NextToken, LeadingDelimiterGivesAnEmptyToken) {
    int pos = 1;
    std::string token = "stale";
    NextToken("\nx", kLineBreaks, pos, token);
    EXPECT_EQ(token, "");
    EXPECT_EQ(pos, 2);
}

TEST(NextToken, QuotedTextIsNotSplitAcrossLineBreaks) {
    const std::string s = "say \"hi\r\nthere\" now\r\nnext";
    int pos = 1;
    std::string token;
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "say \"hi\r\nthere\" now");
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "");
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "next");
    EXPECT_EQ(pos, 0);
}

TEST(NextToken, UnbalancedQuoteJoinsTheRest) {
    const std::string s = "a \"b\r\nc\r\nd";
    int pos = 1;
    std::string token;
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, s);
    EXPECT_EQ(pos, 0);
}

TEST(NextToken, QuoteStateStartsOutsideAtEachCall) {
    // Starting inside a quoted stretch still reads the first quote as opening.
    const std::string s = "\"a\nb\"c\nd";
    int pos = 3;
    std::string token;
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "");
    EXPECT_EQ(pos, 4);
    NextToken(s, kLineBreaks, pos, token);
    EXPECT_EQ(token, "b\"c\nd");
    EXPECT_EQ(pos, 0);
}

TEST(NextToken, QuoteInTheSetDoesNotDelimit) {
    int pos = 1;
    std::string token;
    NextToken("a\"b,c\",d", "\",", pos, token);
    EXPECT_EQ(token, "a\"b,c\"");
    EXPECT_EQ(pos, 8);
}

TEST(NextToken, AnyByteOfTheSetDelimits) {
    const std::string s = "a,b;c\xA7" "d";
    const std::string delims = ",;\xA7";
    std::vector<std::string> tokens;
    std::string token;
    for (int pos = 1; pos != 0;) {
        NextToken(s, delims, pos, token);
        tokens.push_back(token);
    }
    EXPECT_EQ(tokens, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(NextToken, OutOfRangePositionOrEmptySetStops) {
    for (int start : {0, -1, INT_MIN, 4, INT_MAX}) {
        int pos = start;
        std::string token = "stale";
        NextToken("abc", kLineBreaks, pos, token);
        EXPECT_EQ(pos, 0) << start;
        EXPECT_EQ(token, "") << start;
    }
    int pos = 1;
    std::string token = "stale";
    NextToken("a\nb", "", pos, token);
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(token, "");
    pos = 1;
    NextToken("", kLineBreaks, pos, token);
    EXPECT_EQ(pos, 0);
}

// ---------------------------------------------------------------------------

TEST(CaseChars, LettersAndTheBytesAroundThem) {
    const struct {
        char c, swapped, lower, upper;
    } cases[] = {
        {'A', 'a', 'a', 'A'}, {'Z', 'z', 'z', 'Z'}, {'a', 'A', 'a', 'A'}, {'z', 'Z', 'z', 'Z'},
        {'@', '@', '@', '@'}, {'[', '[', '[', '['}, {'`', '`', '`', '`'}, {'{', '{', '{', '{'},
        {'7', '7', '7', '7'}, {'\0', '\0', '\0', '\0'},
        {'\xC4', '\xC4', '\xC4', '\xC4'}, {'\xE4', '\xE4', '\xE4', '\xE4'}, {'\xFF', '\xFF', '\xFF', '\xFF'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SwapCaseChar(c.c), c.swapped) << static_cast<int>(c.c);
        EXPECT_EQ(LowerCaseChar(c.c), c.lower) << static_cast<int>(c.c);
        EXPECT_EQ(UpperCaseChar(c.c), c.upper) << static_cast<int>(c.c);
    }
}

TEST(Utf8Prefix, NeverEndsInsideACharacter) {
  EXPECT_EQ(Utf8Prefix("abc", 5), "abc");
  EXPECT_EQ(Utf8Prefix("abc", 0), "");
  EXPECT_EQ(Utf8Prefix("é€😀", 2), "é");      // 2 + 3 + 4 bytes
  EXPECT_EQ(Utf8Prefix("é€😀", 4), "é");
  EXPECT_EQ(Utf8Prefix("é€😀", 5), "é€");
  EXPECT_EQ(Utf8Prefix("é€😀", 8), "é€");
  EXPECT_EQ(Utf8Prefix("é€😀", 9), "é€😀");
}
