// Random bytes through each of the four picture decoders in memory: no
// input may crash, read out of bounds, hang or allocate without limit, and
// every answer must be a whole picture or none.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "picture/GifReader.h"
#include "picture/PictureDecode.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckResult(bool decoded, const TPicture& picture) {
  if (!decoded) {
    Check(picture.Width == 0 && picture.Height == 0 && picture.Pixels.empty());
    return;
  }
  Check(PictureSizeAllowed(picture.Width, picture.Height));
  Check(picture.Pixels.size() == static_cast<std::size_t>(picture.Width) * picture.Height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Each decoder refuses the others' signatures at once, so every input
  // reaches the one it looks like and is turned away cheaply by the rest.
  for (auto decode : {DecodeBmp, DecodeGif, DecodePng, DecodeJpeg}) {
    TPicture picture;
    picture.Width = 7;  // a failure must clear what the picture held
    picture.Pixels.assign(3, 0);
    CheckResult(decode(data, size, picture), picture);
  }
  // A reader used twice gives the same answer: nothing of one file is left
  // over for the next.
  TGifReader reader;
  TPicture first, second;
  bool decodedFirst = reader.Decode(data, size, first);
  bool decodedSecond = reader.Decode(data, size, second);
  Check(decodedFirst == decodedSecond && first.Pixels == second.Pixels);
  return 0;
}
