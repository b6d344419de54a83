#pragma once
// The macro record. Category files are nothing but these records one after
// the other, exactly as they lie in memory, so every size and offset below is
// frozen: changing one breaks every category file users have.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "category files hold the shortcut word little-endian, as it lies in memory");

constexpr std::size_t kMacroRecordSize = 5606;
constexpr std::size_t kTitleCapacity = 25;
constexpr std::size_t kReplaceCapacity = 75;
constexpr std::size_t kTextBufferSize = 1024;
constexpr std::size_t kTextCapacity = kTextBufferSize - 1;  // room for the zero byte
constexpr std::size_t kCatagoryNameCapacity = 255;

enum TMacroType : std::uint8_t {
  mtBlockMode = 0,
  mtLineMode = 1,
  mtRunProgram = 2,
  mtStripTags = 3,
  mtChangeCase = 4,
  mtTidyHTML = 5,
  mtEmail = 6,
};
constexpr int kMacroTypeCount = 7;

#pragma pack(push, 1)
// A length byte followed by the characters; bytes behind the text mean nothing.
template <std::size_t Capacity>
struct TShortString {
  std::uint8_t Length;
  char Chars[Capacity];
};

struct TMacro {
  TShortString<kTitleCapacity> Title;
  std::uint8_t MacroType;
  std::uint8_t Padding;
  std::uint16_t ShortCut;
  char FirstLine[kTextBufferSize];
  char LastLine[kTextBufferSize];
  char Line1[kTextBufferSize];
  char Line2[kTextBufferSize];
  char Line3[kTextBufferSize];
  TShortString<kReplaceCapacity> Replace1;
  TShortString<kReplaceCapacity> With1;
  TShortString<kReplaceCapacity> Replace2;
  TShortString<kReplaceCapacity> With2;
  TShortString<kReplaceCapacity> Replace3;
  TShortString<kReplaceCapacity> With3;
};
#pragma pack(pop)

static_assert(sizeof(TMacro) == kMacroRecordSize, "a category record is 5606 bytes");
static_assert(offsetof(TMacro, Title) == 0);
static_assert(offsetof(TMacro, MacroType) == 26);
static_assert(offsetof(TMacro, Padding) == 27);
static_assert(offsetof(TMacro, ShortCut) == 28);
static_assert(offsetof(TMacro, FirstLine) == 30);
static_assert(offsetof(TMacro, LastLine) == 1054);
static_assert(offsetof(TMacro, Line1) == 2078);
static_assert(offsetof(TMacro, Line2) == 3102);
static_assert(offsetof(TMacro, Line3) == 4126);
static_assert(offsetof(TMacro, Replace1) == 5150);
static_assert(offsetof(TMacro, With1) == 5226);
static_assert(offsetof(TMacro, Replace2) == 5302);
static_assert(offsetof(TMacro, With2) == 5378);
static_assert(offsetof(TMacro, Replace3) == 5454);
static_assert(offsetof(TMacro, With3) == 5530);

// The five text buffers and six short strings, in record order, so that code
// that treats every text alike (export, import, the run's passes) can loop.
enum TMacroText {
  mxFirstLine, mxLastLine, mxLine1, mxLine2, mxLine3,
  mxReplace1, mxWith1, mxReplace2, mxWith2, mxReplace3, mxWith3,
};
constexpr int kMacroTextCount = 11;
constexpr int kTextBufferCount = 5;  // mxFirstLine .. mxLine3 are text buffers

// A text that does not fit its field. Raised instead of cutting silently.
class ETextTooLong : public std::runtime_error {
 public:
  ETextTooLong(const std::string& field, std::size_t length, std::size_t capacity);
  const std::string& Field() const { return FField; }

 private:
  std::string FField;
};

// Short strings: the reader never trusts the length byte beyond the capacity.
template <std::size_t N>
std::string ReadShortString(const TShortString<N>& s) {
  std::size_t length = s.Length <= N ? s.Length : N;
  return std::string(s.Chars, length);
}

// Writes at most N characters (the rest is cut): the caller decides whether a
// cut is acceptable; use the checked form where it is not.
template <std::size_t N>
void WriteShortString(TShortString<N>& s, const std::string& text) {
  std::size_t length = text.size() <= N ? text.size() : N;
  text.copy(s.Chars, length);
  s.Length = static_cast<std::uint8_t>(length);
}

// Text buffers: up to the first zero byte, or all bytes when there is none.
std::string ReadTextBuffer(const char (&buffer)[kTextBufferSize]);
// Raises ETextTooLong for more than 1023 characters; never writes past the buffer.
void WriteTextBuffer(char (&buffer)[kTextBufferSize], const std::string& text,
                     const std::string& fieldName);

const char* MacroTextName(TMacroText field);     // "FirstLine", ..., "With3"
std::size_t MacroTextCapacity(TMacroText field);  // 1023 or 75
std::string GetMacroText(const TMacro& macro, TMacroText field);
// Raises ETextTooLong when the text exceeds the field's capacity.
void SetMacroText(TMacro& macro, TMacroText field, const std::string& text);
std::string GetTitle(const TMacro& macro);
// Raises ETextTooLong for more than 25 characters.
void SetTitle(TMacro& macro, const std::string& title);

// The macro a new entry starts as: "untitled", block mode, no shortcut, all
// texts empty, every other byte zero.
TMacro NewMacro();

std::string MacroTypeName(std::uint8_t type);  // "" for unknown values
int MacroTypeToIndex(std::uint8_t type);       // -1 for unknown values
std::uint8_t IndexToMacroType(int index);      // anything unknown is block mode
