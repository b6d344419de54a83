// The engine against a deliberately naive matcher: random expressions over
// a small alphabet are built as trees, printed for the engine, and matched
// by both over random inputs. The naive side backtracks by plain recursion
// and applies the start-set rule on its own tree.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

#include "regex/RegExpr.h"

namespace {

enum TRefKind { rkChar, rkAny, rkSet, rkBol, rkEol, rkGroup, rkSeq, rkAlt, rkRepeat };

struct TRefNode {
  TRefKind Kind;
  char Ch = 0;
  std::string Members;
  int Group = 0;
  int Min = 0, Max = 0;
  bool Greedy = true;
  std::vector<std::unique_ptr<TRefNode>> Kids;
};
using TRefPtr = std::unique_ptr<TRefNode>;

TRefPtr MakeNode(TRefKind kind) {
  TRefPtr n(new TRefNode);
  n->Kind = kind;
  return n;
}

bool CanBeEmpty(const TRefNode& n) {
  switch (n.Kind) {
    case rkChar: case rkAny: case rkSet: return false;
    case rkBol: case rkEol: return true;
    case rkGroup: return CanBeEmpty(*n.Kids[0]);
    case rkSeq:
      for (const TRefPtr& k : n.Kids)
        if (!CanBeEmpty(*k)) return false;
      return true;
    case rkAlt:
      for (const TRefPtr& k : n.Kids)
        if (CanBeEmpty(*k)) return true;
      return false;
    case rkRepeat: return n.Min == 0 || CanBeEmpty(*n.Kids[0]);
  }
  return true;
}

// ---- random trees ---------------------------------------------------------

class TRefGenerator {
 public:
  explicit TRefGenerator(uint32_t seed) : Rng(seed) {}
  TRefPtr Expression() {
    Groups = 0;
    return Alternation(3);
  }
  int Pick(int n) { return static_cast<int>(Rng() % static_cast<uint32_t>(n)); }

 private:
  TRefPtr Atom(int depth) {
    int r = Pick(depth > 0 && Groups < 14 ? 10 : 8);
    if (r < 4) {
      TRefPtr n = MakeNode(rkChar);
      n->Ch = "abc"[Pick(3)];
      return n;
    }
    if (r == 4) return MakeNode(rkAny);
    if (r == 5) {
      TRefPtr n = MakeNode(rkSet);
      n->Members = Pick(2) ? "ab" : "^a";
      return n;
    }
    if (r == 6) return MakeNode(Pick(2) ? rkBol : rkEol);
    if (r == 7) {
      TRefPtr n = MakeNode(rkChar);
      n->Ch = 'b';
      return n;
    }
    TRefPtr g = MakeNode(rkGroup);
    ++Groups;
    g->Kids.push_back(Alternation(depth - 1));
    return g;
  }
  TRefPtr Piece(int depth) {
    TRefPtr atom = Atom(depth);
    if (Pick(3) != 0 || atom->Kind == rkBol || atom->Kind == rkEol) return atom;
    TRefPtr rep = MakeNode(rkRepeat);
    bool empty = CanBeEmpty(*atom);
    int q = empty ? 2 : Pick(6);
    const int forms[6][2] = {{0, RegexInf}, {1, RegexInf}, {0, 1}, {2, 2}, {1, 3}, {2, RegexInf}};
    rep->Min = forms[q][0];
    rep->Max = forms[q][1];
    rep->Greedy = Pick(3) != 0;
    rep->Kids.push_back(std::move(atom));
    return rep;
  }
  TRefPtr Sequence(int depth) {
    TRefPtr seq = MakeNode(rkSeq);
    int n = Pick(4);
    for (int i = 0; i < n; ++i) seq->Kids.push_back(Piece(depth));
    return seq;
  }
  TRefPtr Alternation(int depth) {
    TRefPtr alt = MakeNode(rkAlt);
    int n = Pick(4) == 0 ? 2 + Pick(2) : 1;
    for (int i = 0; i < n; ++i) alt->Kids.push_back(Sequence(depth));
    return alt;
  }

 public:
  static const int RegexInf = 2147483646;

 private:
  std::mt19937 Rng;
  int Groups = 0;
};

// Numbers the groups by their opening parenthesis and prints the tree.
void Print(TRefNode& n, std::string& out, int& groups) {
  switch (n.Kind) {
    case rkChar: out += n.Ch; break;
    case rkAny: out += '.'; break;
    case rkSet: out += "[" + n.Members + "]"; break;
    case rkBol: out += '^'; break;
    case rkEol: out += '$'; break;
    case rkGroup:
      n.Group = ++groups;
      out += '(';
      Print(*n.Kids[0], out, groups);
      out += ')';
      break;
    case rkSeq:
      for (TRefPtr& k : n.Kids) Print(*k, out, groups);
      break;
    case rkAlt:
      for (size_t i = 0; i < n.Kids.size(); ++i) {
        if (i) out += '|';
        Print(*n.Kids[i], out, groups);
      }
      break;
    case rkRepeat: {
      Print(*n.Kids[0], out, groups);
      if (n.Min == 0 && n.Max == TRefGenerator::RegexInf) out += '*';
      else if (n.Min == 1 && n.Max == TRefGenerator::RegexInf) out += '+';
      else if (n.Min == 0 && n.Max == 1) out += '?';
      else if (n.Max == TRefGenerator::RegexInf) out += "{" + std::to_string(n.Min) + ",}";
      else out += "{" + std::to_string(n.Min) + "," + std::to_string(n.Max) + "}";
      if (!n.Greedy) out += '?';
      break;
    }
  }
}

// ---- the naive matcher ----------------------------------------------------

struct TRefMode {
  bool Caseless = false;   // modifier i
  bool AllLazy = false;    // modifier g off
  bool Multiline = false;  // modifier m, with LF as the only line break in inputs
};

char Fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

class TRefMatcher {
 public:
  TRefMatcher(const std::string& in, TRefMode mode) : Start(15, -1), End(15, -1), In(in), Mode(mode) {}

  using TCont = std::function<bool(int)>;

  bool Match(const TRefNode& n, int pos, const TCont& k) {
    int len = static_cast<int>(In.size());
    switch (n.Kind) {
      case rkChar: return pos < len && Same(In[pos], n.Ch) && k(pos + 1);
      case rkAny: return pos < len && k(pos + 1);
      case rkSet: return pos < len && InSet(n.Members, In[pos]) && k(pos + 1);
      case rkBol: return (pos == 0 || (Mode.Multiline && In[pos - 1] == '\n')) && k(pos);
      case rkEol: return (pos == len || (Mode.Multiline && In[pos] == '\n')) && k(pos);
      case rkGroup: return MatchGroup(n, pos, k);
      case rkSeq: return MatchSeq(n, 0, pos, k);
      case rkAlt:
        for (const TRefPtr& alt : n.Kids)
          if (Match(*alt, pos, k)) return true;
        return false;
      case rkRepeat: return MatchRepeat(n, 0, pos, k);
    }
    return false;
  }

  std::vector<int> Start, End;

 private:
  bool Same(char a, char b) const { return a == b || (Mode.Caseless && Fold(a) == Fold(b)); }
  bool InSet(const std::string& members, char c) const {
    bool negated = members[0] == '^';
    bool in = false;
    for (size_t i = negated ? 1 : 0; i < members.size(); ++i) in = in || Same(members[i], c);
    return in != negated;
  }
  bool MatchGroup(const TRefNode& n, int pos, const TCont& k) {
    return Match(*n.Kids[0], pos, [&](int e) {
      int oldStart = Start[n.Group], oldEnd = End[n.Group];
      Start[n.Group] = pos;
      End[n.Group] = e;
      if (k(e)) return true;
      Start[n.Group] = oldStart;
      End[n.Group] = oldEnd;
      return false;
    });
  }
  bool MatchSeq(const TRefNode& n, size_t i, int pos, const TCont& k) {
    if (i == n.Kids.size()) return k(pos);
    return Match(*n.Kids[i], pos, [&](int e) { return MatchSeq(n, i + 1, e, k); });
  }
  bool MatchRepeat(const TRefNode& n, int count, int pos, const TCont& k) {
    auto more = [&]() {
      return count < n.Max && Match(*n.Kids[0], pos, [&](int e) {
               // A turn that consumed nothing ends the loop.
               if (e == pos && count + 1 >= n.Min) return k(e);
               return MatchRepeat(n, count + 1, e, k);
             });
    };
    if (count < n.Min) return more();
    if (n.Greedy && !Mode.AllLazy) return more() || k(pos);
    return k(pos) || more();
  }

  const std::string& In;
  TRefMode Mode;
};

// The start-set rule on the tree; true when the walk goes on past n.
const char* const RefAlphabet = "abcAB\n";

bool FirstChars(const TRefNode& n, TRefMode mode, std::string& set) {
  switch (n.Kind) {
    case rkChar:
      set += n.Ch;
      if (mode.Caseless) set += static_cast<char>(std::toupper(static_cast<unsigned char>(n.Ch)));
      return false;
    case rkAny: set += RefAlphabet; return false;
    case rkSet: {
      for (char c : std::string(RefAlphabet)) {
        std::string one(1, c);
        TRefMatcher m(one, mode);
        if (m.Match(n, 0, [](int) { return true; })) set += c;
      }
      return false;
    }
    case rkBol: case rkEol: return true;
    case rkGroup: return FirstChars(*n.Kids[0], mode, set);
    case rkSeq:
      for (const TRefPtr& k : n.Kids)
        if (!FirstChars(*k, mode, set)) return false;
      return true;
    case rkAlt: {
      bool goesOn = false;
      for (const TRefPtr& k : n.Kids) goesOn = FirstChars(*k, mode, set) || goesOn;
      return goesOn;
    }
    case rkRepeat: FirstChars(*n.Kids[0], mode, set); return n.Min == 0;
  }
  return false;
}

bool Anchored(const TRefNode& root, TRefMode mode) {
  if (root.Kids.size() != 1 || mode.Multiline) return false;
  const TRefNode& seq = *root.Kids[0];
  return !seq.Kids.empty() && seq.Kids[0]->Kind == rkBol;
}

struct TRefResult {
  bool Found = false;
  std::vector<int> Start, End;
};

TRefResult RefSearch(const TRefNode& root, const std::string& in, TRefMode mode) {
  std::string first;
  FirstChars(root, mode, first);
  TRefResult r;
  int len = static_cast<int>(in.size());
  bool anchored = Anchored(root, mode);
  for (int p = 0; p < (anchored ? 1 : len); ++p) {
    if (!anchored && first.find(in[p]) == std::string::npos) continue;
    TRefMatcher m(in, mode);
    int end = -1;
    if (m.Match(root, p, [&](int e) { end = e; return true; })) {
      r.Found = true;
      r.Start = m.Start;
      r.End = m.End;
      r.Start[0] = p;
      r.End[0] = end;
      return r;
    }
  }
  return r;
}

std::string RandomInput(TRefGenerator& gen, const char* alphabet) {
  std::string s;
  int n = gen.Pick(9);
  int size = static_cast<int>(std::strlen(alphabet));
  for (int i = 0; i < n; ++i) s += alphabet[gen.Pick(size)];
  return s;
}

void CompareWithReference(uint32_t seed, TRefMode mode, const char* alphabet) {
  TRefGenerator gen(seed);
  int compared = 0;
  for (int round = 0; round < 4000; ++round) {
    TRefPtr root = gen.Expression();
    std::string expr;
    int groups = 0;
    Print(*root, expr, groups);
    if (expr.empty()) continue;
    // The second engine has no budget, so it remembers failures from its
    // first step: both must find what the naive matcher finds.
    TRegexEngine engines[2];
    engines[1].SetStepBudget(0, 0);
    for (TRegexEngine& re : engines) {
      re.SetModifierFlag(rmIndexI, mode.Caseless);
      re.SetModifierFlag(rmIndexG, !mode.AllLazy);
      re.SetModifierFlag(rmIndexM, mode.Multiline);
      re.Expression(expr);
    }
    for (int t = 0; t < 8; ++t) {
      std::string input = RandomInput(gen, alphabet);
      TRefResult want = RefSearch(*root, input, mode);
      for (TRegexEngine& re : engines) {
        SCOPED_TRACE("expr \"" + expr + "\" over \"" + input + "\"" + (&re == engines ? "" : ", remembering"));
        bool found = false;
        ASSERT_NO_THROW(found = re.Exec(input));
        ASSERT_EQ(want.Found, found);
        ++compared;
        if (!found) continue;
        for (int g = 0; g <= groups; ++g) {
          bool took = want.Start[g] >= 0;
          EXPECT_EQ(took ? want.Start[g] + 1 : -1, re.MatchStart(g)) << "group " << g;
          EXPECT_EQ(took ? want.End[g] - want.Start[g] : -1, re.MatchLength(g)) << "group " << g;
        }
      }
    }
  }
  EXPECT_GT(compared, 50000);
}

TEST(RegexReference, DefaultModifiers) { CompareWithReference(20261208, TRefMode(), "abc"); }

TEST(RegexReference, CaseInsensitive) {
  TRefMode mode;
  mode.Caseless = true;
  CompareWithReference(7, mode, "abcAB");
}

TEST(RegexReference, NonGreedyEverywhere) {
  TRefMode mode;
  mode.AllLazy = true;
  CompareWithReference(11, mode, "abc");
}

TEST(RegexReference, Multiline) {
  TRefMode mode;
  mode.Multiline = true;
  CompareWithReference(13, mode, "abc\n");
}

}  // namespace
