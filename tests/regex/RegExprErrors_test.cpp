// Every error the engine raises: its code, its message and, for compile
// errors, the position in the message.
#include <gtest/gtest.h>

#include <functional>

#include "regex/RegExpr.h"
#include "regex/RegExprTestUtil.h"

namespace {

struct TErrorCase {
  const char* Expr;
  int Code;
};

TEST(RegexCompileErrors, Codes) {
  const TErrorCase cases[] = {
      {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)(o)", rxTooManyGroups},
      {"(a", rxUnclosedGroup},
      {"((a)", rxUnclosedGroup},
      {"a)", rxStrayCloseParen},
      {"(a))", rxStrayCloseParen},
      {"(a*)*", rxEmptyOperand},
      {"(a|)+", rxEmptyOperand},
      {"(a?){2}", rxEmptyOperand},
      {"^*", rxEmptyOperand},
      {"()+", rxEmptyOperand},
      {"a**", rxNestedQuantifier},
      {"a*+", rxNestedQuantifier},
      {"a{2}{3}", rxNestedQuantifier},
      {"a*??", rxNestedQuantifier},
      {"\\xZZ", rxBadHexDigit},
      {"\\x4G", rxBadHexDigit},
      {"\\x{4G}", rxBadHexDigit},
      {"[z-a]", rxInvalidRange},
      {"[a\\", rxSetTrailingBackslash},
      {"\\x", rxNoHexCode},
      {"\\x4", rxNoHexCode},
      {"\\x{", rxNoHexCode},
      {"\\x{}", rxNoHexCode},
      {"\\x{41", rxNoHexCode},
      {"\\x{100}", rxHexCodeTooBig},
      {"[abc", rxUnclosedSet},
      {"[]", rxUnclosedSet},
      {"[^]", rxUnclosedSet},
      {"*a", rxQuantifierFollowsNothing},
      {"a|+b", rxQuantifierFollowsNothing},
      {"(?i)*", rxQuantifierFollowsNothing},
      {"(?", rxUnknownModifier},
      {"a\\", rxTrailingBackslash},
      {"\\", rxTrailingBackslash},
      {"a{123456789}", rxBraceArgTooBig},
      {"a{1,123456789}", rxBraceArgTooBig},
      {"x{2,1}", rxBraceMinAboveMax},
      {"(?#abc", rxUnclosedComment},
      {"(?:x)", rxUnknownModifier},
      {"(?q)", rxUnknownModifier},
      {"(?i", rxUnknownModifier},
  };
  for (const TErrorCase& c : cases) EXPECT_EQ(c.Code, CompileError(c.Expr)) << c.Expr;
}

TEST(RegexCompileErrors, AcceptedNearMisses) {
  const char* accepted[] = {
      "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)",
      "(a?)?", "(a*)?", "^?", "a{0}", "a{99999999}", "a{1,}", "\\x{ff}", "\\x{0041}",
      "[a-a]", "(?)", "(?i-s)", "(?iRsGmX)", "a||b", "()", "(|)", "\\0", "x{a}", "a{", "a{1", "a{1,2",
  };
  for (const char* expr : accepted) EXPECT_EQ(0, CompileError(expr)) << expr;
}

TEST(RegexCompileErrors, MessageCarriesPosition) {
  TRegexEngine re;
  re.Expression("x{2,1}");
  try {
    re.Exec("x");
    FAIL() << "no error";
  } catch (const ERegexError& e) {
    EXPECT_EQ(rxBraceMinAboveMax, e.RegErrorCode);
    EXPECT_EQ(6, e.RegErrorPos);
    EXPECT_STREQ("TRegexEngine(comp): BRACE Min Param Greater Than Max (pos 6)", e.what());
  }
  EXPECT_EQ(rxBraceMinAboveMax, re.LastError());
}

TEST(RegexCompileErrors, PositionIsWhereParsingStopped) {
  const std::pair<const char*, int> cases[] = {
      {"(?:x)", 3}, {"a**", 3}, {"ab)", 3}, {"[abc", 4}, {"abc\\", 4}, {"(a*)*", 5},
  };
  for (const auto& c : cases) {
    TRegexEngine re;
    re.Expression(c.first);
    try {
      re.Compile();
      ADD_FAILURE() << c.first << " compiled";
    } catch (const ERegexError& e) {
      EXPECT_EQ(c.second, e.RegErrorPos) << c.first;
      EXPECT_NE(std::string::npos, std::string(e.what()).find(" (pos " + std::to_string(c.second) + ")"));
    }
  }
}

TEST(RegexCompileErrors, EmptyAfterNulIsNullArgument) {
  EXPECT_EQ(rxNullArgument, CompileError(std::string("\0ab", 3)));
}

TEST(RegexCompileErrors, ModifiersOfTheCompileDecide) {
  EXPECT_EQ(rxQuantifierFollowsNothing, CompileError(" *", rmX));  // the space is skipped
  EXPECT_EQ(0, CompileError(" *"));
  EXPECT_EQ(rxQuantifierFollowsNothing, CompileError("(?x) *"));
  EXPECT_EQ(0, CompileError("((?x)) *"));
}

int ExecError(const std::function<void(TRegexEngine&)>& action) {
  TRegexEngine re;
  try {
    action(re);
  } catch (const ERegexError& e) {
    EXPECT_EQ(0, e.RegErrorPos);
    EXPECT_EQ(TRegexEngine::ErrorText(e.RegErrorCode), e.what());  // no position
    return e.RegErrorCode;
  }
  return 0;
}

TEST(RegexExecErrors, Codes) {
  EXPECT_EQ(rxNoExpression, ExecError([](TRegexEngine& re) { re.Exec("abc"); }));
  EXPECT_EQ(rxNoExpression, ExecError([](TRegexEngine& re) {
              re.Expression("");
              re.Exec("abc");
            }));
  EXPECT_EQ(rxNoInput, ExecError([](TRegexEngine& re) {
              re.Expression("a");
              re.ExecPos(1);
            }));
  EXPECT_EQ(rxBadOffset, ExecError([](TRegexEngine& re) {
              re.Expression("a");
              re.Exec("a");
              re.ExecPos(0);
            }));
  EXPECT_EQ(rxExecNextWithoutExec, ExecError([](TRegexEngine& re) {
              re.Expression("a");
              re.ExecNext();
            }));
  EXPECT_EQ(rxExecNextWithoutExec, ExecError([](TRegexEngine& re) {
              re.Expression("a");
              re.Exec("b");
              re.ExecNext();
            }));
  EXPECT_EQ(rxBadModifierIndex, ExecError([](TRegexEngine& re) { re.SetModifierFlag(0, true); }));
  EXPECT_EQ(rxBadModifierIndex, ExecError([](TRegexEngine& re) { re.SetModifierFlag(7, true); }));
}

TEST(RegexExecErrors, LoopStackHoldsTenNestedCountedLoops) {
  std::string ten, eleven;
  for (int i = 0; i < 10; ++i) ten = "(" + ten + "a){1,2}";
  eleven = "(" + ten + "){1,2}";
  TRegexEngine re;
  re.Expression(ten);
  EXPECT_TRUE(re.Exec("aaaaaaaaaa"));
  re.Expression(eleven);
  try {
    re.Exec("aaaaaaaaaaa");
    FAIL() << "no error";
  } catch (const ERegexError& e) {
    EXPECT_EQ(rxLoopStackExceeded, e.RegErrorCode);
    EXPECT_STREQ("TRegexEngine(exec): Loop Stack Exceeded", e.what());
  }
  // Greedy * and + on groups need no counter.
  std::string plain = "a";
  for (int i = 0; i < 12; ++i) plain = "(" + plain + ")+";
  re.Expression(plain);
  EXPECT_TRUE(re.Exec("aaa"));
}

TEST(RegexExecErrors, PairedSeparatorMessage) {
  TRegexEngine re;
  try {
    re.SetLinePairedSeparator("x");
    FAIL() << "no error";
  } catch (const ERegexError& e) {
    EXPECT_EQ(rxBadPairedSeparator, e.RegErrorCode);
    EXPECT_STREQ(
        "TRegexEngine(comp): LinePairedSeparator must contain two different chars or no chars at all (pos 0)",
        e.what());
  }
}

TEST(RegexErrorText, Table) {
  EXPECT_EQ("No errors", TRegexEngine::ErrorText(0));
  EXPECT_EQ("TRegexEngine(comp): Null Argument", TRegexEngine::ErrorText(100));
  EXPECT_EQ("TRegexEngine(comp): ParseReg Unmatched ()", TRegexEngine::ErrorText(103));
  EXPECT_EQ("TRegexEngine(comp): ParseReg Unmatched ()", TRegexEngine::ErrorText(104));
  EXPECT_EQ("TRegexEngine(comp): *+ Operand Could Be Empty", TRegexEngine::ErrorText(106));
  EXPECT_EQ("TRegexEngine(comp): Parse Atom Trailing \\", TRegexEngine::ErrorText(110));
  EXPECT_EQ("TRegexEngine(comp): No Hex Code After \\x", TRegexEngine::ErrorText(111));
  EXPECT_EQ("TRegexEngine(comp): ?+*{ Follows Nothing", TRegexEngine::ErrorText(115));
  EXPECT_EQ("TRegexEngine(comp): Braces and non-greedy operators on complex sub-expressions are not supported",
            TRegexEngine::ErrorText(126));
  EXPECT_EQ("TRegexEngine(comp): Unrecognized Modifier", TRegexEngine::ErrorText(127));
  EXPECT_EQ("TRegexEngine(exec): Not Assigned Expression Property", TRegexEngine::ErrorText(1003));
  EXPECT_EQ("TRegexEngine(exec): ExecNext Without Exec[Pos]", TRegexEngine::ErrorText(1007));
  EXPECT_EQ("TRegexEngine(dump): Corrupted Opcode", TRegexEngine::ErrorText(1011));
  EXPECT_EQ("TRegexEngine(exec): Loop Without LoopEntry !", TRegexEngine::ErrorText(1015));
  for (int code : {1, 99, 117, 118, 120, 121, 123, 129, 999, 1009, 1010, 1012, 1013, 1016, -1})
    EXPECT_EQ("Unknown error", TRegexEngine::ErrorText(code)) << code;
}

}  // namespace
