// ReplaceMatches, the expression's life cycle, and the engine's limits on
// long or hostile input.
#include <gtest/gtest.h>

#include <functional>

#include <chrono>

#include "regex/RegExpr.h"

namespace {

// The Strip tags setting: i and m on over the defaults.
std::string Strip(const std::string& expr, const std::string& input) {
  TRegexEngine re;
  re.SetModifierFlag(rmIndexI, true);
  re.SetModifierFlag(rmIndexM, true);
  re.Expression(expr);
  return re.ReplaceMatches(input, "");
}

TEST(RegexReplace, StripTags) {
  EXPECT_EQ("acd", Strip("<(.*?)>", "a<b>c</b>d"));
  EXPECT_EQ("ad", Strip("<(.*)>", "a<b>c</b>d"));
  EXPECT_EQ("bold and x", Strip("<(.*?)>", "<b>bold</b> and <I>x</I>"));
  EXPECT_EQ("ab", Strip("<(.*?)>", "a<span\r\nclass=x>b"));
  EXPECT_EQ("no tags here", Strip("<(.*?)>", "no tags here"));
  EXPECT_EQ("", Strip("<(.*?)>", ""));
  EXPECT_EQ("a<b", Strip("<(.*?)>", "a<b"));
}

TEST(RegexReplace, ReplacementIsLiteral) {
  TRegexEngine re;
  re.Expression("(b)");
  EXPECT_EQ("a$1\\1c", re.ReplaceMatches("abc", "$1\\1"));
  EXPECT_EQ("a--c--", re.ReplaceMatches("abcb", "--"));
}

TEST(RegexReplace, EmptyMatchesMoveOnByOneCharacter) {
  TRegexEngine re;
  re.Expression("[ab]??");
  EXPECT_EQ("-a-bc", re.ReplaceMatches("abc", "-"));
  re.Expression("x*");
  EXPECT_EQ("a-b-", re.ReplaceMatches("axxbx", "-"));
  EXPECT_EQ("abc", re.ReplaceMatches("abc", "-"));
  re.Expression("a*");
  EXPECT_EQ("b", re.ReplaceMatches("aaba", ""));
}

TEST(RegexReplace, RepeatedCallsStartAfresh) {
  TRegexEngine re;
  re.Expression("a+");
  EXPECT_EQ("-b-", re.ReplaceMatches("aba", "-"));
  EXPECT_EQ("x-", re.ReplaceMatches("xaa", "-"));
}

TEST(RegexReplace, LeavesNoInputBehind) {
  TRegexEngine re;
  re.Expression("b");
  std::string input = "abc";
  EXPECT_EQ("ac", re.ReplaceMatches(input, ""));
  EXPECT_EQ(-1, re.MatchStart(0));
  try {
    re.ExecPos(1);
    FAIL() << "no error";
  } catch (const ERegexError& e) {
    EXPECT_EQ(rxNoInput, e.RegErrorCode);
  }
  EXPECT_TRUE(re.Exec("b"));  // and searches normally afterwards
}

TEST(RegexLifecycle, ExpressionSetAndReset) {
  TRegexEngine re;
  EXPECT_FALSE(re.HasExpression());
  re.Expression("a");
  EXPECT_EQ("a", re.Expression());
  EXPECT_TRUE(re.Exec("a"));
  re.Expression("b");
  EXPECT_FALSE(re.Exec("a"));
  re.Expression("");
  EXPECT_FALSE(re.HasExpression());
  EXPECT_THROW(re.Exec("a"), ERegexError);
}

TEST(RegexLifecycle, CompileErrorLeavesEngineUsable) {
  TRegexEngine re;
  re.Expression("(a");
  EXPECT_THROW(re.Exec("a"), ERegexError);
  EXPECT_THROW(re.Exec("a"), ERegexError);  // still bad, raised again
  re.Expression("a");
  EXPECT_TRUE(re.Exec("a"));
}

TEST(RegexLifecycle, CharacterClassesCanBeChanged) {
  TRegexEngine re;
  re.Expression("\\w+");
  re.SetWordChars("ab-");
  ASSERT_TRUE(re.Exec("xa-bz"));
  EXPECT_EQ("a-b", re.Match(0));
  re.Expression("\\s");
  re.SetSpaceChars("_");
  ASSERT_TRUE(re.Exec("a b_c"));
  EXPECT_EQ(4, re.MatchStart(0));
}

// ---- long and hostile input -------------------------------------------------

double Seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(RegexSafety, LongRepetitionsNeedNoThreadStack) {
  std::string ab;
  for (int i = 0; i < 512 * 1024; ++i) ab += "ab";
  TRegexEngine re;
  re.Expression("(ab)*");
  ASSERT_TRUE(re.Exec(ab));
  EXPECT_EQ(static_cast<int>(ab.size()), re.MatchLength(0));
  EXPECT_EQ(static_cast<int>(ab.size()) - 1, re.MatchStart(1));
  // Deeper nesting needs more backtracking memory per character: it either
  // matches or stops with the engine's error, never with a crash.
  re.Expression("((((a))|((b))))+?$");
  try {
    if (re.Exec(ab)) {
      EXPECT_EQ(static_cast<int>(ab.size()), re.MatchLength(0));
    }
  } catch (const ERegexError& e) {
    EXPECT_EQ(rxBacktrackStackExhausted, e.RegErrorCode);
  }
  ASSERT_TRUE(re.Exec(ab.substr(0, 100000)));
  EXPECT_EQ(100000, re.MatchLength(0));
  re.Expression("(a|b)*c");
  EXPECT_FALSE(re.Exec(ab.substr(0, 20000)));
}

TEST(RegexSafety, StripTagsOverTenMegabytes) {
  std::string page;
  while (page.size() < 10u << 20) page += "<p class=\"x\">Some <b>text</b> here.</p>\r\n";
  std::string result;
  double seconds = Seconds([&] { result = Strip("<(.*?)>", page); });
  EXPECT_EQ(std::string::npos, result.find('<'));
  EXPECT_EQ(0u, result.find("Some text here.\r\n"));
  EXPECT_LT(seconds, 60.0);  // generous: sanitizer and Wine builds run here too
}

void ExpectTooComplex(const std::string& expr, const std::string& input, int64_t budget = 0) {
  TRegexEngine re;
  if (budget) re.SetStepBudget(budget, 100);
  re.Expression(expr);
  double seconds = Seconds([&] {
    try {
      re.Exec(input);
      ADD_FAILURE() << expr << " ended without the error";
    } catch (const ERegexError& e) {
      EXPECT_EQ(rxStepBudgetExhausted, e.RegErrorCode);
      EXPECT_NE(std::string::npos, std::string(e.what()).find("too complex for the input"));
    }
  });
  EXPECT_LT(seconds, 60.0) << expr;
}

// Only back-references still explode: no memory of failures bounds them.
// The empty group 1 changes no match, only the way it is found.
TEST(RegexSafety, CatastrophicBacktrackingEndsWithAnError) {
  ExpectTooComplex("()(a|aa)+\\1$", std::string(60, 'a') + "b");  // the default budget
  ExpectTooComplex("(a+)+\\1b", std::string(60, 'a') + "cb", 1000000);
  ExpectTooComplex("(x+x+)+\\1y", std::string(60, 'x') + "zy", 1000000);
  ExpectTooComplex("()((a+)b?)+\\1c", std::string(60, 'a') + "dc", 1000000);
}

TEST(RegexSafety, BudgetIsSharedByExecNext) {
  TRegexEngine re;
  re.SetStepBudget(2000, 1);
  re.Expression("()(a|aa)+\\1b");
  std::string input;
  for (int i = 0; i < 200; ++i) input += "aaaaaaaaaab";
  EXPECT_THROW(re.ReplaceMatches(input, ""), ERegexError);
  re.SetStepBudget(2000, 1000);
  EXPECT_EQ("", re.ReplaceMatches(input, ""));
  // Without the back-reference the search remembers failures instead.
  re.SetStepBudget(2000, 1);
  re.Expression("(a|aa)+b");
  EXPECT_EQ("", re.ReplaceMatches(input, ""));
}

// Shapes the plain backtracker explored until its budget ran out now
// answer, with the groups it would have found given all the time it needed.
struct TShape {
  const char* Expr;
  std::string Input;
  int Start, Length, Group1Start, Group1Length;  // 1-based; 0, 0 when nothing matches
};

TEST(RegexSafety, CatastrophicShapesAnswer) {
  const std::string a60(60, 'a'), x60(60, 'x');
  const TShape shapes[] = {
      {".X(.+)+X", "bbbbXcX" + std::string(30, 'a'), 4, 4, 6, 1},
      {"(a|aa)+c", a60 + "baac", 62, 3, 63, 1},
      {"(a|aa)+$", a60 + "b", 0, 0, 0, 0},
      {"(x+x+)+y", x60 + "zxxy", 62, 3, 62, 2},
      {"(x+?x+?)+?y", x60 + "zxxy", 62, 3, 62, 2},
      {"(?-s)(.*a){12}z", a60 + "\n" + std::string(12, 'a') + "z", 62, 13, 73, 1},
      {"(a+)+b", a60 + "cab", 62, 2, 62, 1},
      {"((a+)b?)+c", a60 + "dc", 0, 0, 0, 0},
  };
  for (const TShape& shape : shapes) {
    SCOPED_TRACE(shape.Expr);
    TRegexEngine re;
    re.Expression(shape.Expr);
    bool found = false;
    double seconds = Seconds([&] { ASSERT_NO_THROW(found = re.Exec(shape.Input)); });
    EXPECT_EQ(shape.Start != 0, found);
    EXPECT_EQ(found ? shape.Start : -1, re.MatchStart(0));
    EXPECT_EQ(found ? shape.Length : -1, re.MatchLength(0));
    EXPECT_EQ(found ? shape.Group1Start : -1, re.MatchStart(1));
    EXPECT_EQ(found ? shape.Group1Length : -1, re.MatchLength(1));
    EXPECT_LT(seconds, 5.0);  // the budget alone took about 0.2 s here
  }
}

TEST(RegexSafety, RememberedSearchesStayLinear) {
  std::string runs;
  while (runs.size() < 1u << 20) runs += std::string(40, 'a') + "b";
  TRegexEngine re;
  re.Expression("(a|aa)+c");
  std::string result;
  double seconds = Seconds([&] { result = re.ReplaceMatches(runs + "aaac", ""); });
  EXPECT_EQ(runs, result);
  EXPECT_LT(seconds, 30.0);  // well under a second natively
}

// Past the table's cap a search keeps the plain budget: 5000 rows of
// (.*a){1000}z leave room for inputs of about 13000 characters.
TEST(RegexSafety, LongerInputsThanTheTableHoldKeepTheBudget) {
  TRegexEngine re;
  re.SetStepBudget(1000000, 100);
  re.Expression("(.*a){1000}z");
  EXPECT_FALSE(re.Exec("z" + std::string(300, 'a')));
  ExpectTooComplex("(.*a){1000}z", "z" + std::string(20000, 'a'), 1000000);
}

TEST(RegexSafety, ExactBudgetsFinishShortOnes) {
  TRegexEngine re;
  re.Expression("(a|aa)+$");
  EXPECT_TRUE(re.Exec(std::string(40, 'a')));
}

}  // namespace
