// Internal layout of a compiled expression, shared by the compiler, the
// analyser and the matcher. Not for use outside the engine.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct TCharSet {
  uint32_t Bits[8] = {0, 0, 0, 0, 0, 0, 0, 0};

  void Add(uint8_t c) { Bits[c >> 5] |= 1u << (c & 31); }
  bool Has(uint8_t c) const { return (Bits[c >> 5] >> (c & 31)) & 1u; }
  void AddRange(int lo, int hi) {
    for (int c = lo; c <= hi; ++c) Add(static_cast<uint8_t>(c));
  }
  void AddChars(const std::string& chars) {
    for (char c : chars) Add(static_cast<uint8_t>(c));
  }
  void AddSet(const TCharSet& other) {
    for (int i = 0; i < 8; ++i) Bits[i] |= other.Bits[i];
  }
  void Fill() {
    for (uint32_t& w : Bits) w = 0xFFFFFFFFu;
  }
  void Invert() {
    for (uint32_t& w : Bits) w = ~w;
  }
  bool Full() const {
    for (uint32_t w : Bits)
      if (w != 0xFFFFFFFFu) return false;
    return true;
  }
  int Count() const {
    int n = 0;
    for (int c = 0; c < 256; ++c) n += Has(static_cast<uint8_t>(c));
    return n;
  }
  int FirstMember() const {
    for (int c = 0; c < 256; ++c)
      if (Has(static_cast<uint8_t>(c))) return c;
    return -1;
  }
  bool Intersects(const TCharSet& other) const {
    for (int i = 0; i < 8; ++i)
      if (Bits[i] & other.Bits[i]) return true;
    return false;
  }
};

// Program layout: byte 0 is the magic byte, then nodes. Every node starts
// with its opcode and a signed 4-byte offset to the next node, relative to
// the node itself (0: none).
const uint8_t RegexMagic = 216;
const int RegexMaxGroups = 14;
const int RegexMaxLoopNesting = 10;
const int RegexInfinite = 2147483646;

enum TRegexOp : uint8_t {
  opEnd = 1,
  opNothing,
  opBranch,     // body follows the header; next: the following alternative
  opOpen,       // [group:1]
  opClose,      // [group:1]
  opBol,
  opEol,
  opBolMl,
  opEolMl,
  opBoi,        // \A
  opEoi,        // \Z
  opExact,      // [length:4][bytes][NUL]
  opExactCi,    // same, compared through the case inverter
  opAny,        // every character
  opAnyMl,      // every character but a line break
  opSet,        // [bits:32]
  opBackref,    // [group:1]
  opBackrefCi,  // [group:1]
  opRepeat,     // [min:4][max:4][greedy:1][follow:4], then the operand node
  opLoopEntry,  // [min:4][max:4][greedy:1][counted:1][slot:1][depth:1], then the body
  opLoop,       // [offset back to its entry:4]; next: the continuation
};

const int NodeHeaderSize = 5;
const int RepeatOperandOffset = NodeHeaderSize + 13;
const int LoopBodyOffset = NodeHeaderSize + 12;

inline int32_t ReadInt32(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void WriteInt32(uint8_t* p, int32_t v) { std::memcpy(p, &v, 4); }

inline int NextNode(const std::vector<uint8_t>& code, int node) {
  int32_t off = ReadInt32(&code[node + 1]);
  return off == 0 ? 0 : node + off;
}

// Size of the node itself, without the nodes nested after it.
inline int NodeSize(const std::vector<uint8_t>& code, int node) {
  switch (code[node]) {
    case opExact: case opExactCi: return NodeHeaderSize + 4 + ReadInt32(&code[node + NodeHeaderSize]) + 1;
    case opSet: return NodeHeaderSize + 32;
    case opOpen: case opClose: case opBackref: case opBackrefCi: return NodeHeaderSize + 1;
    case opRepeat: return RepeatOperandOffset;
    case opLoopEntry: return LoopBodyOffset;
    case opLoop: return NodeHeaderSize + 4;
    default: return NodeHeaderSize;
  }
}

struct TRepeatInfo {
  int32_t Min, Max;
  bool Greedy;
  int32_t Follow;  // index into FollowSets, -1 when nothing is known
};

inline TRepeatInfo ReadRepeat(const uint8_t* node) {
  return {ReadInt32(node + 5), ReadInt32(node + 9), node[13] != 0, ReadInt32(node + 14)};
}

struct TLoopInfo {
  int32_t Min, Max;
  bool Greedy, Counted;
  int Slot, Depth;
};

inline TLoopInfo ReadLoop(const uint8_t* node) {
  return {ReadInt32(node + 5), ReadInt32(node + 9), node[13] != 0, node[14] != 0, node[15], node[16]};
}

// Finds an exact text in the input: memchr for short texts, Horspool's
// shifts for longer ones, where common first letters would stop memchr
// every few bytes.
class TLiteralFinder {
 public:
  void Set(const std::string& text);
  const std::string& Text() const { return FText; }
  bool Empty() const { return FText.empty(); }
  // First occurrence at or after from, before end; -1 when there is none.
  int Find(const uint8_t* in, int end, int from) const;

 private:
  std::string FText;
  int FShift[256] = {};
};

struct TRegexProgram {
  std::vector<uint8_t> Code;
  std::vector<TCharSet> FollowSets;
  std::vector<int> FollowChars;  // the only member of each follow set, or -1
  int LoopSlots = 0;
  int Modifiers = 0;
  // Search aids: none of them may change which match is found.
  TCharSet StartSet;
  int StartChar = -1;  // the start set's only member, if it has one
  // The program starts with an unbounded greedy run of start-set characters
  // that nothing after it can give back to: an attempt that fails inside
  // such a run fails for every later start in the same run too.
  bool SkipFailedRuns = false;
  bool Anchored = false;
  TLiteralFinder FirstLiteral;     // the program begins with this exact text
  TLiteralFinder RequiredLiteral;  // every match contains this exact text
  uint8_t Invert[256];          // the case inverter, tabulated at compile time
};

struct TRegexSyntax {
  int Modifiers;
  TCharSet Space, Word;
  const uint8_t* Invert;
};

// Builds the program for an expression; raises ERegexError on bad syntax.
void CompileRegex(const std::string& expr, const TRegexSyntax& syntax, TRegexProgram& prog);
// Computes the start set and the follow sets of a freshly emitted program.
void AnalyseRegex(TRegexProgram& prog);
[[noreturn]] void RaiseRegexError(int code, int pos);
