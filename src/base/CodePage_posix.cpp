#include <iconv.h>

#include <cerrno>
#include <cstdio>

#include "base/CodePage.h"

namespace {

std::string IconvName(unsigned codePage) {
  if (codePage == 65001) return "UTF-8";
  return "CP" + std::to_string(codePage);
}

std::string ByteText(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

// Converts all of text or raises with the offset of the first refused byte.
std::string Convert(const std::string& text, const std::string& from, const std::string& to,
                    const std::string& what) {
  iconv_t converter = iconv_open(to.c_str(), from.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1))
    throw ECodePage("The code page " + (from == "UTF-8" ? to : from) + " is not known.");
  std::string output(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* out = &output[0];
  std::size_t outLeft = output.size();
  std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  int error = errno;
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1) || result > 0) {
    std::size_t offset = text.size() - inLeft;
    std::string detail = error == EINVAL ? "an incomplete character" : "the byte " +
        ByteText(static_cast<unsigned char>(text[offset]));
    if (result > 0) detail = "a character that has no exact equivalent";
    throw ECodePage(what + " holds " + detail + " at offset " + std::to_string(offset) +
                    " that " + (from == "UTF-8" ? to : from) + " cannot convert.");
  }
  output.resize(output.size() - outLeft);
  return output;
}

}  // namespace

void CheckCodePage(unsigned codePage) {
  iconv_t converter = iconv_open("UTF-8", IconvName(codePage).c_str());
  if (converter == reinterpret_cast<iconv_t>(-1))
    throw ECodePage("The code page " + std::to_string(codePage) + " is not known.");
  iconv_close(converter);
}

std::string AnsiToUtf8(const std::string& text, unsigned codePage) {
  std::string utf8 = Convert(text, IconvName(codePage), "UTF-8", "The text");
  std::size_t offset;
  if (codePage != 65001 && HoldsC1Control(utf8, offset))
    throw ECodePage("The text holds a byte that code page " + std::to_string(codePage) +
                    " does not define.");
  return utf8;
}

std::string Utf8ToAnsi(const std::string& text, unsigned codePage) {
  std::size_t offset;
  if (codePage != 65001 && HoldsC1Control(text, offset))
    throw ECodePage("The text holds a control character (U+0080 to U+009F) at offset " +
                    std::to_string(offset) + " that code page " + std::to_string(codePage) +
                    " does not define.");
  return Convert(text, "UTF-8", IconvName(codePage), "The text");
}

unsigned SystemAnsiCodePage() { return kDefaultCodePage; }
