// Syntax, matching order and the search aids of the regular-expression engine.
#include <gtest/gtest.h>

#include "regex/RegExpr.h"
#include "regex/RegExprTestUtil.h"

namespace {

struct TCase {
  const char* Expr;
  const char* Input;
  const char* Expected;  // the first match, or nullptr for none
};

void ExpectCases(const std::vector<TCase>& cases, int modifiersOn = 0) {
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string("expr ") + c.Expr + " over \"" + c.Input + "\"");
    TRegexEngine re;
    for (int i = 1; i <= 6; ++i)
      if (modifiersOn & (1 << (i - 1))) re.SetModifierFlag(i, true);
    re.Expression(c.Expr);
    bool found = re.Exec(c.Input);
    if (c.Expected == nullptr) {
      EXPECT_FALSE(found) << "matched \"" << re.Match(0) << "\"";
    } else {
      ASSERT_TRUE(found);
      EXPECT_EQ(c.Expected, re.Match(0));
    }
  }
}

TEST(RegexSyntax, Atoms) {
  ExpectCases({
      {"abc", "xxabcxx", "abc"},
      {"a.c", "a\nc", "a\nc"},          // s is on by default
      {"\\d+", "ab123c", "123"},
      {"\\D", "12x3", "x"},
      {"\\w+", "  foo_1 ", "foo_1"},
      {"\\W", "ab-c", "-"},
      {"\\s+", "a \t\r\nb", " \t\r\n"},
      {"\\S+", "  xy ", "xy"},
      {"\\t\\n\\r\\f\\a\\e", "-\t\n\r\f\a\x1b-", "\t\n\r\f\a\x1b"},
      {"\\x41\\x{42}\\x{043}", "ABC", "ABC"},
      {"\\.", "a.b", "."},
      {"\\b", "abc", "b"},             // no word-boundary escape: the letter b
      {"a\\Bc", "aBc", "aBc"},
      {"\\Aab", "abab", "ab"},
      {"ab\\Z", "abab", "ab"},
      {"x{a}", "x{a}", "x{a}"},        // not a quantifier: literal text
      {"{2}", "a{2}", "{2}"},          // a brace where an atom is expected
      {"a{,2}", "a{,2}", "a{,2}"},
      {"a|b|c", "xxc", "c"},
      {"ab|", "ab", "ab"},
      {"(a)(b)(c)", "abc", "abc"},
  });
}

TEST(RegexSyntax, Sets) {
  ExpectCases({
      {"[]a]+", "x]a]y", "]a]"},
      {"[a-]+", "x-a-y", "-a-"},
      {"[-a]+", "x-a-y", "-a-"},
      {"[a-c-e]+", "zab-ez", "ab-e"},
      {"[\\D]+", "xDDy", "DD"},        // \D inside a set is the letter
      {"[\\d]+", "ab42", "42"},
      {"[\\w]+", "-ab_-", "ab_"},
      {"[\\s]+", "a \tb", " \t"},
      {"[\\]]", "a]", "]"},
      {"[\\x41-\\x43]+", "xABCD", "ABC"},
      {"[^a-z]+", "abcDEFghi", "DEF"},
      {"[^]a]+", "]]bc]", "bc"},
      {"[\\n]", "a\nb", "\n"},
      {"[.]", "ab.c", "."},
  });
}

TEST(RegexSyntax, CyrillicRangesWithModifierR) {
  // Windows-1251: a..ya 224-255, small yo 184; A..YA 192-223, capital yo 168.
  TRegexEngine re;
  re.Expression("[\xE0-\xFF]");
  EXPECT_TRUE(re.Exec("\xB8"));
  EXPECT_FALSE(re.Exec("\xA8"));
  re.Expression("[\xC0-\xDF]");
  EXPECT_TRUE(re.Exec("\xA8"));
  EXPECT_FALSE(re.Exec("\xB8"));
  re.Expression("[\xC0-\xFF]");
  EXPECT_TRUE(re.Exec("\xA8"));
  EXPECT_TRUE(re.Exec("\xB8"));
  re.SetModifierFlag(rmIndexR, false);
  re.Expression("[\xE0-\xFF]");
  EXPECT_FALSE(re.Exec("\xB8"));
  // Only the whole alphabet's range is extended, not a part of it.
  re.SetModifierFlag(rmIndexR, true);
  re.Expression("[\xE0-\xFE]");
  EXPECT_FALSE(re.Exec("\xB8"));
}

TEST(RegexSyntax, LiteralRunSplitBeforeQuantifier) {
  ExpectCases({
      {"abc*", "abccc", "abccc"},
      {"abc*", "ab", "ab"},
      {"abc+", "abab abcc", "abcc"},
      {"abc?d", "abd", "abd"},
      {"abc{2}", "abcabcc", "abcc"},
      {"a\\x42*", "aBBB", "aBBB"},
  });
}

TEST(RegexSyntax, ExtendedSyntax) {
  ExpectCases({{"a b c", "abc", "abc"},
               {"a b*  # comment\n c", "abbbc", "abbbc"},
               {"a\\ b", "a b", "a b"},
               {"[ ]x", "a x", " x"},
               {"(?-x)a b", "a b", "a b"}},
              rmX);
}

TEST(RegexSyntax, CommentsMatchNothing) {
  ExpectCases({
      {"a(?#note)b", "ab", "ab"},
      {"a(?#)b", "ab", "ab"},
      {"(?#c)^a", "ba", nullptr},  // still anchored at the input's start
  });
}

TEST(RegexQuantifiers, GreedyAndNonGreedy) {
  ExpectCases({
      {"a*", "aaa", "aaa"},
      {"a*?b", "aab", "aab"},
      {"a+?", "aaa", "a"},
      {"a??", "aaa", ""},     // empty match at a position that starts with a
      {"a{2,3}", "aaaa", "aaa"},
      {"a{2,3}?", "aaaa", "aa"},
      {"a{2,}", "aaaaa", "aaaaa"},
      {"a{2}", "aaaa", "aa"},
      {"a{0}b", "ab", "b"},
      {"<.*>", "<a><b>", "<a><b>"},
      {"<.*?>", "<a><b>", "<a>"},
      {"(ab)*", "ababx", "abab"},
      {"(ab)+?", "ababx", "ab"},
      {"(ab)*?x", "ababx", "ababx"},
      {"(ab){2}", "abababab", "abab"},
      {"(ab){1,2}?", "abab", "ab"},
      {"(ab)?c", "abc", "abc"},
      {"(ab)??a", "aba", "a"},
      {"(a|ab)(c|bcd)(d*)", "abcd", "abcd"},
  });
}

TEST(RegexQuantifiers, ModifierGOffMakesEveryQuantifierNonGreedy) {
  TRegexEngine re;
  re.SetModifierFlag(rmIndexG, false);
  re.Expression("a+");
  ASSERT_TRUE(re.Exec("aaa"));
  EXPECT_EQ(1, re.MatchLength(0));
  re.Expression("(ab)+");
  ASSERT_TRUE(re.Exec("ababab"));
  EXPECT_EQ(2, re.MatchLength(0));
  re.Expression("a{2,4}");
  ASSERT_TRUE(re.Exec("aaaa"));
  EXPECT_EQ(2, re.MatchLength(0));
  re.Expression("(?g)a+");
  ASSERT_TRUE(re.Exec("aaa"));
  EXPECT_EQ(3, re.MatchLength(0));
}

TEST(RegexQuantifiers, LargeCounts) {
  TRegexEngine re;
  re.Expression("a{3,99999999}");
  ASSERT_TRUE(re.Exec(std::string(1000, 'a')));
  EXPECT_EQ(1000, re.MatchLength(0));
  re.Expression("(ab){500}");
  std::string input;
  for (int i = 0; i < 600; ++i) input += "ab";
  ASSERT_TRUE(re.Exec(input));
  EXPECT_EQ(1000, re.MatchLength(0));
}

TEST(RegexGroups, PositionsAndLastCapture) {
  TRegexEngine re;
  re.Expression("(a|b)*(c)?(x)?");
  ASSERT_TRUE(re.Exec("zabac"));
  EXPECT_EQ(2, re.MatchStart(0));
  EXPECT_EQ(4, re.MatchLength(0));
  EXPECT_EQ(4, re.MatchStart(1));  // the last turn's capture
  EXPECT_EQ(1, re.MatchLength(1));
  EXPECT_EQ(5, re.MatchStart(2));
  EXPECT_EQ(-1, re.MatchStart(3));   // did not take part
  EXPECT_EQ(-1, re.MatchLength(3));
  EXPECT_EQ(-1, re.MatchStart(15));  // out of range
  EXPECT_EQ(-1, re.MatchStart(-1));
}

TEST(RegexGroups, CapturesAreRestoredOnBacktracking) {
  TRegexEngine re;
  re.Expression("(a+)(b)|(a)(c)");
  ASSERT_TRUE(re.Exec("aac"));
  EXPECT_EQ("ac", re.Match(0));
  EXPECT_EQ(-1, re.MatchStart(1));
  EXPECT_EQ(-1, re.MatchStart(2));
  EXPECT_EQ("a", re.Match(3));
}

TEST(RegexGroups, NoMatchBeforeSearch) {
  TRegexEngine re;
  EXPECT_EQ(-1, re.MatchStart(0));
  EXPECT_EQ(-1, re.MatchLength(0));
}

TEST(RegexGroups, FourteenGroups) {
  TRegexEngine re;
  re.Expression("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)");
  ASSERT_TRUE(re.Exec("abcdefghijklmn"));
  EXPECT_EQ(14, re.MatchStart(14));
}

TEST(RegexBackReferences, MatchTheCapturedText) {
  ExpectCases({
      {"(\\w+) \\1", "say hello hello", "hello hello"},
      {"(a)(b)\\2\\1", "abba", "abba"},
      {"(a)\\1*", "aaaa", "aaaa"},
      {"(ab)\\1{2}", "abababab", "ababab"},
      {"(a)|\\1b", "xb", nullptr},   // the group never captured
      {"(a*)\\1*b", "b", "b"},       // empty capture repeated
      {"<(\\w+)>.*?</\\1>", "<b>x</i></b>", "<b>x</i></b>"},
  });
  ExpectCases({{"(a)\\1", "aA", "aA"}}, rmI);
  ExpectCases({{"(a)\\1", "aA", nullptr}});
}

TEST(RegexModifiers, CaseInsensitive) {
  ExpectCases({{"abc", "xABC", "ABC"},
               {"[a-c]+", "xAbC", "AbC"},
               {"[^a]", "Ab", "b"},
               {"a+", "AaA", "AaA"},
               {"<B>", "<b>", "<b>"}},
              rmI);
}

TEST(RegexModifiers, InlineModifiersLastToTheEndOfTheirGroup) {
  ExpectCases({
      {"a(?i)b", "aB", "aB"},
      {"(?i)a(?-i)b", "Ab", "Ab"},
      {"(?i)a(?-i)b", "AB", nullptr},
      {"(a(?i)b)c", "aBc", "aBc"},
      {"(a(?i)b)c", "aBC", nullptr},     // restored when the group closes
      {"(a(?i)b|c)", "C", "C"},          // reaches over the alternation
      {"(?I)ABC", "abc", "abc"},
      {"(?-s).", "\nx", "x"},
      {"(?m)^b", "a\nb", "b"},
      {"(?x) a b ", "ab", "ab"},
      {"(?i-s)A.", "a\nab", "ab"},
  });
}

TEST(RegexModifiers, SetModifierFlagRecompiles) {
  TRegexEngine re;
  re.Expression("abc");
  EXPECT_FALSE(re.Exec("ABC"));
  re.SetModifierFlag(rmIndexI, true);
  EXPECT_TRUE(re.Exec("ABC"));
  EXPECT_TRUE(re.ModifierFlag(rmIndexI));
  EXPECT_EQ(rmI | rmR | rmS | rmG, re.Modifiers());
}

TEST(RegexModifiers, DotWithoutS) {
  TRegexEngine re;
  re.SetModifierFlag(rmIndexS, false);
  re.Expression("a.+");
  ASSERT_TRUE(re.Exec("abc\r\ndef"));
  EXPECT_EQ("abc", re.Match(0));
  // A lone CR is a separator too; with only LF as separator, CR alone is
  // an ordinary character, but CR before LF still belongs to the break.
  re.SetLineSeparators("\n");
  ASSERT_TRUE(re.Exec("ab\rc\r\nd"));
  EXPECT_EQ("ab\rc", re.Match(0));
}

TEST(RegexModifiers, LineAnchorsWithM) {
  TRegexEngine re;
  re.SetModifierFlag(rmIndexM, true);
  re.Expression("^\\w+$");
  ASSERT_TRUE(re.Exec("  \r\nab\r\ncd"));
  EXPECT_EQ(5, re.MatchStart(0));
  ASSERT_TRUE(re.ExecNext());
  EXPECT_EQ("cd", re.Match(0));
  // Between CR and LF is not a line start.
  re.Expression("^\n");
  EXPECT_FALSE(re.Exec("a\r\nb"));
  re.Expression("\r$");
  EXPECT_FALSE(re.Exec("a\r\nb"));
  EXPECT_TRUE(re.Exec("a\r\rb"));
}

TEST(RegexModifiers, LineAnchorsWithoutM) {
  ExpectCases({
      {"^a", "ba", nullptr},
      {"a$", "a\n", nullptr},
      {"a$", "ba", "a"},
      {"^$", "", ""},   // anchored: the start is tried even at the end
  });
}

TEST(RegexModifiers, PairedSeparatorOnly) {
  TRegexEngine re;
  re.SetModifierFlag(rmIndexM, true);
  re.SetLineSeparators("");
  re.Expression("^b");
  EXPECT_TRUE(re.Exec("a\r\nb"));
  EXPECT_FALSE(re.Exec("a\nb"));
  re.SetLinePairedSeparator("");
  EXPECT_FALSE(re.Exec("a\r\nb"));
  EXPECT_THROW(re.SetLinePairedSeparator("aa"), ERegexError);
  EXPECT_THROW(re.SetLinePairedSeparator("abc"), ERegexError);
}

TEST(RegexModifiers, ReplaceableCaseInverter) {
  TRegexEngine re;
  re.SetModifierFlag(rmIndexI, true);
  re.SetCaseInverter([](char c) { return c == 'x' ? 'y' : c == 'y' ? 'x' : c; });
  re.Expression("x+");
  ASSERT_TRUE(re.Exec("ayxyb"));
  EXPECT_EQ("yxy", re.Match(0));
  re.Expression("[x]");
  EXPECT_TRUE(re.Exec("y"));
  EXPECT_FALSE(re.Exec("X"));
}

TEST(RegexStartSet, EmptyMatchesOnlyWhereAMatchCanStart) {
  ExpectCases({
      {"x*", "abc", nullptr},
      {"x*", "axb", "x"},
      {"5|\\D", "5", "5"},
      {"$", "abc", nullptr},          // empty start set, not anchored
      {"a*$", "bca", "a"},
      {"a?", "", nullptr},            // nothing is tried on an empty input
      {"(b|)x", "ax", "x"},           // the empty alternative lets x start
      {"(b|c)x", "ax", nullptr},
      {"(b|)x", "abx", "bx"},
      {"(b|)x", "ax x", "x"},
      {"b?c?d", "ad", "d"},
      {"(a)*b", "b", "b"},
      {"(ab){0,2}c", "xc", "c"},
      {"(ab){1,2}c", "xabc", "abc"},
      {"[^a]*", "aab", "b"},
      {"\\w*", "  ", nullptr},
  });
  TRegexEngine re;
  re.SetModifierFlag(rmIndexM, true);
  re.Expression("^");
  EXPECT_FALSE(re.Exec("a\nb"));  // with m the expression is not anchored
}

TEST(RegexStartSet, EndOfInputIsNeverTried) {
  TRegexEngine re;
  re.Expression("a*");
  ASSERT_TRUE(re.Exec("ba"));
  EXPECT_EQ(2, re.MatchStart(0));
  EXPECT_FALSE(re.ExecNext());
  re.Expression("\\Z");
  EXPECT_FALSE(re.Exec("abc"));
}

TEST(RegexSearch, NulEndsTheInput) {
  TRegexEngine re;
  re.Expression("b");
  EXPECT_FALSE(re.Exec(std::string("a\0b", 3)));
  EXPECT_EQ(std::string("a\0b", 3), re.ReplaceMatches(std::string("a\0b", 3), ""));
}

TEST(RegexSearch, ExecPosAndExecNext) {
  TRegexEngine re;
  re.Expression("a");
  ASSERT_TRUE(re.Exec("a-a-a"));
  EXPECT_EQ(1, re.MatchStart(0));
  ASSERT_TRUE(re.ExecNext());
  EXPECT_EQ(3, re.MatchStart(0));
  ASSERT_TRUE(re.ExecPos(4));
  EXPECT_EQ(5, re.MatchStart(0));
  EXPECT_FALSE(re.ExecNext());
  EXPECT_FALSE(re.ExecPos(6));   // length + 1: nothing to try
  EXPECT_FALSE(re.ExecPos(7));   // beyond: false, no error
  re.Expression("^a");
  EXPECT_TRUE(re.ExecPos(1));
  EXPECT_FALSE(re.ExecPos(3));   // anchored at the start of the input
}

TEST(RegexSearch, SearchAidsNeverChangeTheResult) {
  ExpectCases({
      {"abc", "ababc", "abc"},          // first literal with a false start
      {"x*abc", "abxabc", "xabc"},
      {"a.*bc", "abcabc", "abcabc"},    // required literal bc
      {"a.*bc", "abxab", nullptr},
      {"ab*c", "abbbbc", "abbbbc"},
      {"abcabd", "abcabcabd", "abcabd"},   // long first literals: shifted search
      {"aaab", "aaaaab", "aaab"},
      {"xyzw", "xyzxyzw", "xyzw"},
      {"xyzw", "xyz", nullptr},
      {"xyzw", "wxyz", nullptr},
      {"x+abcd", "xabcxabcd", "xabcd"},    // long required literal
      {"x+abcd", "abcdxabc", nullptr},
      {"a.*tool", "a tool", "a tool"},
  });
  TRegexEngine re;
  re.Expression("a+bc");
  ASSERT_TRUE(re.Exec("aabc-abc-bc"));
  ASSERT_TRUE(re.ExecNext());
  EXPECT_EQ(6, re.MatchStart(0));
  EXPECT_FALSE(re.ExecNext());
  ASSERT_TRUE(re.ExecPos(1));  // the cached literal search restarts earlier
  EXPECT_EQ(1, re.MatchStart(0));
}

TEST(RegexSearch, FollowSkipsOnlyImpossibleCounts) {
  ExpectCases({
      {"[a-z]+@", "abc@", "abc@"},
      {"[a-z@]+@", "ab@c@d", "ab@c@"},
      {"(\\w+)\\s+\\1", "hello hello", "hello hello"},
      {"a*(a)", "aaa", "aaa"},
      {"x.*?(y|z)", "x--z--y", "x--z"},
      {"a.*?$", "abc", "abc"},
      {"a*?b", "aaab", "aaab"},
      {"a[^x]*?c", "abbc", "abbc"},
      {"(ab)*?ab", "ababab", "ab"},
      {"[a-z]+@", "abc def@x", "def@"},      // a failed run is skipped whole
      {"a+b", "aaac aab", "aab"},
      {"a{1,2}b", "aaab", "aab"},            // bounded: no skipping
      {"[ab]+b", "aab", "aab"},
      {"[a-z]+\\d", "ab cd9", "cd9"},
  });
  ExpectCases({{"A.*?B", "a--b", "a--b"}, {"x*?Y", "xxy", "xxy"}}, rmI);
}

}  // namespace
