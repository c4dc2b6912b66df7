#include "Jpeg.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "BitmapHeader.h"
#include "FileRead.h"

namespace {

// libjpeg is C: a C++ exception must not unwind through its frames. Its error exit (by
// default a call of exit()) therefore longjmps back to the setjmp in
// JpegDecoder::Guarded. Between the two lie only libjpeg's frames and the step that
// Guarded runs, none of which holds an object with a destructor, so the jump skips no
// clean-up. Guarded then reports the failure by its result, and any exception is raised
// by ordinary C++ code outside libjpeg. jpeg_destroy_decompress accepts libjpeg's state
// in whatever step it failed.
struct ErrorManager : jpeg_error_mgr {
  std::jmp_buf exit;
};

[[noreturn]] void JumpToGuard(j_common_ptr info) { std::longjmp(static_cast<ErrorManager*>(info->err)->exit, 1); }

// Warnings (data cut short, corrupt entropy-coded data) are not reported.
void IgnoreMessage(j_common_ptr) {}

// The CMYK (or YCCK, which libjpeg turns into CMYK) pixels of a row as RGB. Files with an
// Adobe marker, as Photoshop writes them, store the inks inverted: 255 is no ink.
void CmykToRgb(const JSAMPLE* cmyk, uint32_t* rgb, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4) {
    const auto clear = [&](int i) { return inverted ? cmyk[i] : 255 - cmyk[i]; };  // share of the paper left
    const int k = clear(3);
    const auto channel = [&](int i) { return static_cast<uint32_t>((clear(i) * k + 127) / 255); };
    rgb[x] = channel(0) << 16 | channel(1) << 8 | channel(2);
  }
}

// libjpeg's JCS_EXT_BGRX gives 0xFFRRGGBB; the class library's pixels have a zero top byte.
void ClearTopBytes(uint32_t* row, int width) {
  for (int x = 0; x < width; ++x) row[x] &= 0x00FFFFFF;
}

class JpegDecoder {
public:
  JpegDecoder() {
    info_.err = jpeg_std_error(&errors_);
    errors_.error_exit = JumpToGuard;
    errors_.output_message = IgnoreMessage;
  }
  ~JpegDecoder() { jpeg_destroy_decompress(&info_); }  // also fine before jpeg_create_decompress
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  TBitmap Decode(const std::string& file) {
    const bool headerRead = Guarded([&] {
      jpeg_create_decompress(&info_);
      jpeg_mem_src(&info_, reinterpret_cast<const unsigned char*>(file.data()),
                   static_cast<unsigned long>(std::min<size_t>(file.size(), ULONG_MAX)));
      jpeg_read_header(&info_, TRUE);
    });
    if (!headerRead) throw EInvalidGraphic(ErrorText());
    if (int64_t{info_.image_width} * info_.image_height > kMaxPicturePixels)
      throw EInvalidGraphic("JPEG image is too large: " + std::to_string(info_.image_width) + " x " +
                            std::to_string(info_.image_height));
    if (info_.jpeg_color_space == JCS_UNKNOWN)
      throw EInvalidGraphic("JPEG image of " + std::to_string(info_.num_components) + " components is not supported");
    const bool cmyk = info_.jpeg_color_space == JCS_CMYK || info_.jpeg_color_space == JCS_YCCK;
    info_.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;  // libjpeg converts gray, YCbCr and RGB
    info_.scale_num = info_.scale_denom = 1;

    TBitmap bitmap;
    bitmap.SetSize(static_cast<int>(info_.image_width), static_cast<int>(info_.image_height));
    std::vector<JSAMPLE> cmykRow(cmyk ? size_t{info_.image_width} * 4 : 0);
    const int width = bitmap.Width();
    const bool inverted = info_.saw_Adobe_marker;
    // Damage past the header ends decoding without an error: the rows not reached stay black.
    Guarded([&] {
      jpeg_start_decompress(&info_);
      while (info_.output_scanline < info_.output_height) {
        uint32_t* const pixels = bitmap.ScanLine(static_cast<int>(info_.output_scanline));
        JSAMPROW row = cmyk ? cmykRow.data() : reinterpret_cast<JSAMPROW>(pixels);
        jpeg_read_scanlines(&info_, &row, 1);
        if (cmyk)
          CmykToRgb(cmykRow.data(), pixels, width, inverted);
        else
          ClearTopBytes(pixels, width);
      }
      jpeg_finish_decompress(&info_);
    });
    return bitmap;
  }

private:
  // Runs `step` with libjpeg's error exit aimed here; false when libjpeg failed.
  template <class Step>
  bool Guarded(Step step) {
    if (setjmp(errors_.exit)) return false;
    step();
    return true;
  }

  std::string ErrorText() {
    char text[JMSG_LENGTH_MAX];
    errors_.format_message(reinterpret_cast<j_common_ptr>(&info_), text);
    return "JPEG error #" + std::to_string(errors_.msg_code) + ": " + text;
  }

  jpeg_decompress_struct info_{};
  ErrorManager errors_{};
};

}  // namespace

void TJPEGImage::LoadFromFile(const std::string& fileName) {
  const std::string file = ReadWholeFile(fileName);
  bitmap_ = JpegDecoder().Decode(file);
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const {
  auto copy = std::make_unique<TJPEGImage>();
  copy->bitmap_.Assign(bitmap_);
  return copy;
}
