// Expression text -> syntax tree. Covered by RegExpr_test, RegExprErrors_test
// and RegExprReference_test.
#include "regex/RegExprTree.h"

#include <utility>

namespace {

int HexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int ModifierBit(int c) {
  switch (c) {
    case 'i': case 'I': return rmI;
    case 'r': case 'R': return rmR;
    case 's': case 'S': return rmS;
    case 'g': case 'G': return rmG;
    case 'm': case 'M': return rmM;
    case 'x': case 'X': return rmX;
    default: return 0;
  }
}

int SimpleEscape(int e) {
  switch (e) {
    case 't': return 9;
    case 'n': return 10;
    case 'r': return 13;
    case 'f': return 12;
    case 'a': return 7;
    case 'e': return 27;
    default: return e;
  }
}

class TRegexParser {
 public:
  TRegexParser(const std::string& expr, const TRegexSyntax& syntax)
      : S(expr), Syn(syntax), Flags(syntax.Modifiers) {}

  int ParseAll();

  std::vector<TAstNode> Nodes;
  bool HasStar = false;

 private:
  int Peek() const { return P < S.size() ? static_cast<uint8_t>(S[P]) : -1; }
  bool AtEnd() const { return P >= S.size(); }
  [[noreturn]] void Error(int code) const { RaiseRegexError(code, static_cast<int>(P)); }
  int NewNode(TAstKind kind) {
    Nodes.emplace_back();
    Nodes.back().Kind = kind;
    return static_cast<int>(Nodes.size()) - 1;
  }

  void SkipExtended();
  int ParseAlternation();
  int ParseBranch();
  int ParsePiece();
  bool ReadQuantifier(int& min, int& max, bool& braces);
  int ParseAtom();
  int ParseGroup();
  void ParseModifiers();
  int ParseEscapeAtom();
  int ParseLiteralRun();
  bool ReadRunChar(bool first, int& ch);
  int ReadHex();
  int ParseSet();
  bool ReadSetItem(TCharSet& set, int& ch);
  int ReadSetChar();
  void AddCyrillic(TCharSet& set, int lo, int hi) const;
  bool BraceShapeAt(size_t at, size_t& after) const;
  bool AtQuantifier() const;
  int ClassNode(int letter);
  int LeafNode(uint8_t op, bool width);

  const std::string& S;
  const TRegexSyntax& Syn;
  size_t P = 0;
  int Flags;
  int Groups = 0;
};

void TRegexParser::SkipExtended() {
  if (!(Flags & rmX)) return;
  for (;;) {
    int c = Peek();
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++P;
    } else if (c == '#') {
      while (P < S.size() && S[P] != '\n' && S[P] != '\r') ++P;
    } else {
      return;
    }
  }
}

int TRegexParser::ParseAll() {
  int root = ParseAlternation();
  if (!AtEnd()) {
    int c = Peek();
    ++P;
    Error(c == ')' ? rxStrayCloseParen : rxJunkOnEnd);
  }
  return root;
}

int TRegexParser::ParseAlternation() {
  std::vector<int> kids;
  kids.push_back(ParseBranch());
  while (Peek() == '|') {
    ++P;
    kids.push_back(ParseBranch());
  }
  if (kids.size() == 1) return kids[0];
  int alt = NewNode(akAlt);
  bool width = true;
  for (int k : kids) width = width && Nodes[k].Width;
  Nodes[alt].Kids = kids;
  Nodes[alt].Width = width;
  return alt;
}

int TRegexParser::ParseBranch() {
  std::vector<int> kids;
  for (;;) {
    SkipExtended();
    int c = Peek();
    if (c < 0 || c == '|' || c == ')') break;
    int piece = ParsePiece();
    if (piece >= 0) kids.push_back(piece);
  }
  int seq = NewNode(akSeq);
  bool width = false;
  for (int k : kids) width = width || Nodes[k].Width;
  Nodes[seq].Kids = kids;
  Nodes[seq].Width = width;
  return seq;
}

bool TRegexParser::BraceShapeAt(size_t at, size_t& after) const {
  size_t i = at + 1;
  size_t digitsStart = i;
  while (i < S.size() && S[i] >= '0' && S[i] <= '9') ++i;
  if (i == digitsStart || i >= S.size()) return false;
  if (S[i] == ',') {
    ++i;
    while (i < S.size() && S[i] >= '0' && S[i] <= '9') ++i;
  }
  if (i >= S.size() || S[i] != '}') return false;
  after = i + 1;
  return true;
}

bool TRegexParser::AtQuantifier() const {
  int c = Peek();
  size_t after;
  return c == '*' || c == '+' || c == '?' || (c == '{' && BraceShapeAt(P, after));
}

// Reads "{n}", "{n,}" or "{n,m}" at P; P moves behind it.
bool ReadBraceNumbers(const std::string& s, size_t& p, int& min, int& max, bool& tooBig) {
  auto number = [&](int& value) {
    size_t start = p;
    value = 0;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
      if (p - start < 8) value = value * 10 + (s[p] - '0');
      ++p;
    }
    if (p - start > 8) tooBig = true;
    return p > start;
  };
  ++p;
  number(min);
  max = min;
  if (s[p] == ',') {
    ++p;
    if (!number(max)) max = RegexInfinite;
  }
  ++p;
  return true;
}

bool TRegexParser::ReadQuantifier(int& min, int& max, bool& braces) {
  int c = Peek();
  braces = false;
  size_t after;
  if (c == '*') {
    min = 0, max = RegexInfinite;
  } else if (c == '+') {
    min = 1, max = RegexInfinite;
  } else if (c == '?') {
    min = 0, max = 1;
  } else if (c == '{' && BraceShapeAt(P, after)) {
    bool tooBig = false;
    ReadBraceNumbers(S, P, min, max, tooBig);
    if (tooBig) Error(rxBraceArgTooBig);
    if (max < min) Error(rxBraceMinAboveMax);
    braces = true;
    return true;
  } else {
    return false;
  }
  ++P;
  return true;
}

int TRegexParser::ParsePiece() {
  int atom = ParseAtom();
  if (atom < 0) return atom;
  SkipExtended();
  int min, max;
  bool braces;
  int quantifier = Peek();
  if (!ReadQuantifier(min, max, braces)) return atom;
  bool greedy = (Flags & rmG) != 0;
  SkipExtended();
  if (Peek() == '?') {
    greedy = false;
    ++P;
  }
  if (!Nodes[atom].Width && quantifier != '?') Error(rxEmptyOperand);
  SkipExtended();
  if (AtQuantifier()) {
    ++P;
    Error(rxNestedQuantifier);
  }
  if (max == RegexInfinite) HasStar = true;
  int rep = NewNode(akRepeat);
  TAstNode& node = Nodes[rep];
  node.Kids.push_back(atom);
  node.Min = min;
  node.Max = max;
  node.Greedy = greedy;
  node.Braces = braces;
  node.Width = min > 0 && Nodes[atom].Width;
  return rep;
}

int TRegexParser::LeafNode(uint8_t op, bool width) {
  int n = NewNode(akLeaf);
  Nodes[n].Op = op;
  Nodes[n].Width = width;
  Nodes[n].Simple = width;
  return n;
}

int TRegexParser::ParseAtom() {
  switch (Peek()) {
    case '(':
      return ParseGroup();
    case '.':
      ++P;
      return LeafNode((Flags & rmS) ? opAny : opAnyMl, true);
    case '^':
      ++P;
      return LeafNode((Flags & rmM) ? opBolMl : opBol, false);
    case '$':
      ++P;
      return LeafNode((Flags & rmM) ? opEolMl : opEol, false);
    case '[':
      return ParseSet();
    case '\\':
      return ParseEscapeAtom();
    case '*': case '+': case '?':
      ++P;
      Error(rxQuantifierFollowsNothing);
    default:
      return ParseLiteralRun();
  }
}

int TRegexParser::ParseGroup() {
  ++P;
  if (Peek() == '?') {
    ++P;
    if (Peek() == '#') {
      size_t close = S.find(')', P);
      if (close == std::string::npos) {
        P = S.size();
        Error(rxUnclosedComment);
      }
      P = close + 1;
    } else {
      ParseModifiers();
    }
    return -1;
  }
  if (++Groups > RegexMaxGroups) Error(rxTooManyGroups);
  int number = Groups;
  int outerFlags = Flags;
  int body = ParseAlternation();
  if (Peek() != ')') Error(rxUnclosedGroup);
  ++P;
  Flags = outerFlags;
  int group = NewNode(akGroup);
  Nodes[group].N = number;
  Nodes[group].Kids.push_back(body);
  Nodes[group].Width = Nodes[body].Width;
  return group;
}

void TRegexParser::ParseModifiers() {
  bool on = true;
  int flags = Flags;
  for (;;) {
    int c = Peek();
    if (c < 0) Error(rxUnknownModifier);
    ++P;
    if (c == ')') break;
    if (c == '-') {
      on = false;
      continue;
    }
    int bit = ModifierBit(c);
    if (!bit) Error(rxUnknownModifier);
    flags = on ? (flags | bit) : (flags & ~bit);
  }
  Flags = flags;
}

int TRegexParser::ClassNode(int letter) {
  int n = NewNode(akSet);
  TCharSet& set = Nodes[n].Set;
  switch (letter) {
    case 'd': case 'D': set.AddRange('0', '9'); break;
    case 'w': case 'W': set = Syn.Word; break;
    default: set = Syn.Space; break;
  }
  if (letter == 'D' || letter == 'W' || letter == 'S') set.Invert();
  Nodes[n].Width = Nodes[n].Simple = true;
  return n;
}

int TRegexParser::ParseEscapeAtom() {
  if (P + 1 >= S.size()) {
    ++P;
    Error(rxTrailingBackslash);
  }
  int e = static_cast<uint8_t>(S[P + 1]);
  if (e && std::strchr("dDwWsS", e)) {
    P += 2;
    return ClassNode(e);
  }
  if (e == 'A' || e == 'Z') {
    P += 2;
    return LeafNode(e == 'A' ? opBoi : opEoi, false);
  }
  if (e >= '1' && e <= '9') {
    P += 2;
    int n = NewNode(akBackref);
    Nodes[n].Op = (Flags & rmI) ? opBackrefCi : opBackref;
    Nodes[n].N = e - '0';
    Nodes[n].Width = Nodes[n].Simple = true;
    return n;
  }
  return ParseLiteralRun();
}

int TRegexParser::ReadHex() {
  if (AtEnd()) Error(rxNoHexCode);
  if (Peek() == '{') {
    ++P;
    int value = 0, digits = 0;
    for (;;) {
      if (AtEnd()) Error(rxNoHexCode);
      int c = Peek();
      ++P;
      if (c == '}') break;
      int d = HexValue(c);
      if (d < 0) Error(rxBadHexDigit);
      value = value * 16 + d;
      if (value > 255) Error(rxHexCodeTooBig);
      ++digits;
    }
    if (digits == 0) Error(rxNoHexCode);
    return value;
  }
  int value = 0;
  for (int i = 0; i < 2; ++i) {
    if (AtEnd()) Error(rxNoHexCode);
    int d = HexValue(Peek());
    ++P;
    if (d < 0) Error(rxBadHexDigit);
    value = value * 16 + d;
  }
  return value;
}

// One character of a literal run; false where the run has to stop.
bool TRegexParser::ReadRunChar(bool first, int& ch) {
  int c = Peek();
  if (c < 0) return false;
  if (c == '\\') {
    if (P + 1 >= S.size()) {
      ++P;
      Error(rxTrailingBackslash);
    }
    int e = static_cast<uint8_t>(S[P + 1]);
    if (e && std::strchr("dDwWsSAZ123456789", e)) return false;
    P += 2;
    ch = e == 'x' ? ReadHex() : SimpleEscape(e);
    return true;
  }
  if (!first) {
    if (c != 0 && std::strchr("^$.[()|*+?", c)) return false;
    if (AtQuantifier()) return false;
  }
  ++P;
  ch = c;
  return true;
}

int TRegexParser::ParseLiteralRun() {
  std::string run;
  size_t lastStart = P;
  int ch;
  for (bool first = true;; first = false) {
    if (!first) SkipExtended();
    size_t at = P;
    if (!ReadRunChar(first, ch)) break;
    run += static_cast<char>(ch);
    lastStart = at;
  }
  if (run.size() > 1) {
    SkipExtended();
    if (AtQuantifier()) {
      // The quantifier binds to the last character alone.
      run.pop_back();
      P = lastStart;
    }
  }
  int n = NewNode(akLit);
  TAstNode& node = Nodes[n];
  bool folds = false;
  for (char c : run) folds = folds || Syn.Invert[static_cast<uint8_t>(c)] != static_cast<uint8_t>(c);
  node.Op = ((Flags & rmI) && folds) ? opExactCi : opExact;
  node.Text = run;
  node.Width = true;
  node.Simple = run.size() == 1;
  return n;
}

bool TRegexParser::ReadSetItem(TCharSet& set, int& ch) {
  int c = Peek();
  ++P;
  if (c != '\\') {
    ch = c;
    return true;
  }
  if (AtEnd()) Error(rxSetTrailingBackslash);
  int e = static_cast<uint8_t>(S[P++]);
  switch (e) {
    case 'd': set.AddRange('0', '9'); return false;
    case 'w': set.AddSet(Syn.Word); return false;
    case 's': set.AddSet(Syn.Space); return false;
    case 'x': ch = ReadHex(); return true;
    default: ch = SimpleEscape(e); return true;
  }
}

int TRegexParser::ReadSetChar() {
  int c = Peek();
  ++P;
  if (c != '\\') return c;
  if (AtEnd()) Error(rxSetTrailingBackslash);
  int e = static_cast<uint8_t>(S[P++]);
  return e == 'x' ? ReadHex() : SimpleEscape(e);
}

// Windows-1251 keeps its two extra Cyrillic letters outside the
// alphabetic runs, so the usual letter ranges miss them unless added.
void TRegexParser::AddCyrillic(TCharSet& set, int lo, int hi) const {
  if (!(Flags & rmR)) return;
  const uint8_t smallYo = 184, capitalYo = 168;
  if (lo == 224 && hi == 255) set.Add(smallYo);
  if (lo == 192 && hi == 223) set.Add(capitalYo);
  if (lo == 192 && hi == 255) {
    set.Add(smallYo);
    set.Add(capitalYo);
  }
}

int TRegexParser::ParseSet() {
  ++P;
  TCharSet set;
  bool negate = false;
  if (Peek() == '^') {
    negate = true;
    ++P;
  }
  for (bool first = true;; first = false) {
    int c = Peek();
    if (c < 0) Error(rxUnclosedSet);
    if (c == ']' && !first) {
      ++P;
      break;
    }
    int lo;
    if (!ReadSetItem(set, lo)) continue;
    if (Peek() == '-' && P + 1 < S.size() && S[P + 1] != ']') {
      ++P;
      int hi = ReadSetChar();
      if (hi < lo) Error(rxInvalidRange);
      set.AddRange(lo, hi);
      AddCyrillic(set, lo, hi);
    } else {
      set.Add(static_cast<uint8_t>(lo));
    }
  }
  if (Flags & rmI) {
    TCharSet folded = set;
    for (int c = 0; c < 256; ++c)
      if (set.Has(static_cast<uint8_t>(c))) folded.Add(Syn.Invert[c]);
    set = folded;
  }
  if (negate) set.Invert();
  int n = NewNode(akSet);
  Nodes[n].Set = set;
  Nodes[n].Width = Nodes[n].Simple = true;
  return n;
}

}  // namespace

TRegexTree ParseRegex(const std::string& text, const TRegexSyntax& syntax) {
  TRegexParser parser(text, syntax);
  TRegexTree tree;
  tree.Root = parser.ParseAll();
  tree.Nodes = std::move(parser.Nodes);
  tree.HasStar = parser.HasStar;
  return tree;
}
