// JPEG pictures through libjpeg: gray, YCbCr and CMYK/YCCK files, baseline
// and progressive, come out as opaque RGB. The library's default error
// handler ends the process; ours longjmps back to RunJpeg, which owns
// nothing with a destructor (the rows live in TJpegJob).
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>
// after jpeglib.h
#include <jerror.h>

#include <csetjmp>
#include <new>

#include "picture/PictureDecode.h"

namespace {

// A progressive file can hold any number of scans, each a pass over the
// whole picture; a forged one with thousands would take minutes.
constexpr int kMaxScans = 1000;
constexpr long kMaxLibraryMemory = 512L * 1024 * 1024;
// The memory source takes its length as an unsigned long, 32 bits on Windows.
constexpr std::size_t kMaxPictureFileBytes = 0xFFFFFFFFu;

struct TJpegError {
  jpeg_error_mgr Manager;  // first: libjpeg sees only this part
  std::jmp_buf Jump;
  bool Truncated = false;
};

struct TJpegJob {
  const std::uint8_t* Data = nullptr;
  std::size_t Size = 0;
  jpeg_progress_mgr Progress{};
  std::vector<std::uint8_t> Row;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<TJpegError*>(info->err)->Jump, 1);
}

// Level -1 is damaged data that the library works around. A file that ends
// early is not shown half grey: it is as undecodable as any other damage
// the library cannot get past.
void OnJpegMessage(j_common_ptr info, int level) {
  auto* error = reinterpret_cast<TJpegError*>(info->err);
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) error->Truncated = true;
}

void OnJpegProgress(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxScans) OnJpegError(info);
}

void ConvertRow(const jpeg_decompress_struct& info, const std::uint8_t* row, std::uint32_t* out) {
  for (JDIMENSION x = 0; x < info.output_width; ++x) {
    std::uint32_t red, green, blue;
    if (info.out_color_space == JCS_CMYK) {
      // Files from the usual writers store CMYK inverted (Adobe marker).
      const std::uint8_t* p = row + x * 4;
      unsigned c = p[0], m = p[1], y = p[2], k = p[3];
      if (!info.saw_Adobe_marker) {
        c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
      }
      red = c * k / 255;
      green = m * k / 255;
      blue = y * k / 255;
    } else {
      const std::uint8_t* p = row + x * 3;
      red = p[0];
      green = p[1];
      blue = p[2];
    }
    out[x] = 0xFF000000u | red << 16 | green << 8 | blue;
  }
}

bool RunJpeg(jpeg_decompress_struct& info, TJpegError& error, TJpegJob& job, TPicture& picture) {
  if (setjmp(error.Jump)) return false;
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxLibraryMemory;
  info.progress = &job.Progress;
  jpeg_mem_src(&info, job.Data, static_cast<unsigned long>(job.Size));
  jpeg_read_header(&info, TRUE);
  if (!PictureSizeAllowed(info.image_width, info.image_height)) return false;
  bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&info);
  int components = cmyk ? 4 : 3;
  if (info.output_components != components ||
      !AllocatePicture(info.output_width, info.output_height, picture))
    return false;
  job.Row.resize(static_cast<std::size_t>(info.output_width) * components);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = job.Row.data();
    JDIMENSION y = info.output_scanline;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;
    ConvertRow(info, job.Row.data(), picture.Pixels.data() + static_cast<std::size_t>(y) * info.output_width);
  }
  jpeg_finish_decompress(&info);
  return !error.Truncated;
}

}  // namespace

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, TPicture& picture) {
  picture = TPicture();
  if (!data || size < 2 || data[0] != 0xFF || data[1] != 0xD8) return false;
  if (size > kMaxPictureFileBytes) return false;
  jpeg_decompress_struct info{};
  TJpegError error;
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = OnJpegError;
  error.Manager.emit_message = OnJpegMessage;
  TJpegJob job;
  job.Data = data;
  job.Size = size;
  job.Progress.progress_monitor = OnJpegProgress;
  bool decoded = false;
  try {
    decoded = RunJpeg(info, error, job, picture);
  } catch (const std::bad_alloc&) {
    decoded = false;
  }
  jpeg_destroy_decompress(&info);
  if (!decoded) picture = TPicture();
  return decoded;
}
