#include "Graphics.h"

#include <cstring>
#include <utility>

#include "BitmapHeader.h"
#include "BitmapPixels.h"
#include "DibInfo.h"
#include "FileRead.h"

namespace {

constexpr char kOutOfResources[] = "Out of system resources";

}  // namespace

TGraphic::~TGraphic() = default;

TBitmap::TBitmap(TBitmap&& other) noexcept
    : handle_(std::move(other.handle_)),
      bits_(std::exchange(other.bits_, nullptr)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)) {}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
  handle_ = std::move(other.handle_);
  std::swap(bits_, other.bits_);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  return *this;
}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) {
    *this = TBitmap();
    return;
  }
  if (int64_t{width} * height > kMaxPicturePixels)
    throw EOutOfResources(std::string(kOutOfResources) + ": a " + std::to_string(width) + " x " +
                          std::to_string(height) + " picture is too large");
  BITMAPINFO info = Rgb32BitmapInfo(width, height);
  void* bits = nullptr;
  ScopedGdiObject<HBITMAP> handle(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!handle) throw EOutOfResources(kOutOfResources);
  std::memset(bits, 0, static_cast<size_t>(width) * height * sizeof(uint32_t));
  handle_ = std::move(handle);
  bits_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;
}

uint32_t* TBitmap::ScanLine(int row) {
  return const_cast<uint32_t*>(std::as_const(*this).ScanLine(row));
}

const uint32_t* TBitmap::ScanLine(int row) const {
  if (row < 0 || row >= height_) throw EInvalidGraphic("Scan line index out of range");
  return bits_ + static_cast<size_t>(height_ - 1 - row) * width_;
}

void TBitmap::LoadFromFile(const std::string& fileName) {
  const std::string file = ReadWholeFile(fileName);
  const BitmapLayout layout = ReadBitmapLayout(file);
  TBitmap loaded;
  loaded.SetSize(layout.width, layout.height);
  DecodeBitmapPixels(file, layout, PixelRows{loaded.ScanLine(0), -static_cast<ptrdiff_t>(layout.width)});
  *this = std::move(loaded);
}

void TBitmap::Draw(HDC dc, int x, int y) const {
  if (Empty()) return;
  const BITMAPINFO info = Rgb32BitmapInfo(width_, height_);
  StretchDIBits(dc, x, y, width_, height_, 0, 0, width_, height_, bits_, &info, DIB_RGB_COLORS, SRCCOPY);
}

void TBitmap::Assign(const TGraphic& source) {
  if (&source == this) return;
  TBitmap copy;
  copy.SetSize(source.Width(), source.Height());
  if (!copy.Empty()) {
    ScopedMemoryDC dc(nullptr);
    if (!dc) throw EOutOfResources(kOutOfResources);
    ScopedSelect select(dc, copy.handle_);
    source.Draw(dc, 0, 0);
    GdiFlush();
  }
  *this = std::move(copy);
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(*this);
  return copy;
}

void TPicture::Assign(const TGraphic* source) {
  // The copy is made before the old picture goes, so Assign(Graphic()) keeps it.
  graphic_ = source ? source->Clone() : nullptr;
  if (OnChange) OnChange();
}
