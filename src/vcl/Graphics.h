// Pictures of the class library: the abstract TGraphic, TBitmap (BMP files, held as a
// DIB section) and TPicture, the copy of a picture that a TImage shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ScopedGdi.h"
#include "SysUtils.h"

VCL_EXCEPTION(EOutOfResources, Exception);  // a picture too large for GDI to hold

class TGraphic {
public:
  virtual ~TGraphic();
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const = 0;
  virtual void LoadFromFile(const std::string& fileName) = 0;
  virtual void Draw(HDC dc, int x, int y) const = 0;   // unscaled, top-left corner at x, y
  virtual std::unique_ptr<TGraphic> Clone() const = 0;  // a deep copy of the same class
};

// A picture of 32-bit pixels 0x00RRGGBB (the top byte unused) in a bottom-up DIB
// section, so that every pixel is kept exactly whatever the display.
class TBitmap : public TGraphic {
public:
  TBitmap() = default;
  TBitmap(TBitmap&& other) noexcept;
  TBitmap& operator=(TBitmap&& other) noexcept;
  ~TBitmap() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool Empty() const override { return width_ == 0; }

  // Reads a BMP file (see ReadBitmapLayout for the forms accepted). Raises EFOpenError
  // when the file cannot be opened and EInvalidGraphic when it holds no valid bitmap;
  // the bitmap keeps its previous picture then.
  void LoadFromFile(const std::string& fileName) override;
  void Draw(HDC dc, int x, int y) const override;
  std::unique_ptr<TGraphic> Clone() const override;

  // The DIB section; null when empty.
  HBITMAP Handle() const { return handle_; }

  // Becomes a copy of any picture, drawn at its own size.
  void Assign(const TGraphic& source);

  // Replaces the picture by a black one of width x height, or empties the bitmap when
  // either is 0 or less. Raises EOutOfResources for more than kMaxPicturePixels
  // (BitmapHeader.h) or when GDI cannot create the DIB section; the bitmap is unchanged then.
  void SetSize(int width, int height);

  // The pixels of a row, 0 at the top. Raises EInvalidGraphic for a row out of range.
  // After drawing into Handle() with GDI, call GdiFlush before reading them.
  uint32_t* ScanLine(int row);
  const uint32_t* ScanLine(int row) const;

private:
  ScopedGdiObject<HBITMAP> handle_;
  uint32_t* bits_ = nullptr;  // the DIB section's memory, bottom row first
  int width_ = 0;
  int height_ = 0;
};

// Holds its own copy of one picture, or none.
class TPicture {
public:
  TGraphic* Graphic() const { return graphic_.get(); }  // null when empty
  // Holds a copy (Clone) of `source`, or nothing when it is null; then fires OnChange.
  void Assign(const TGraphic* source);
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }

  std::function<void()> OnChange;  // fired after every change

private:
  std::unique_ptr<TGraphic> graphic_;
};
