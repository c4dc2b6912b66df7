// JPEG pictures, decoded by libjpeg at full size into a TBitmap.
#pragma once

#include <memory>
#include <string>

#include "Graphics.h"

class TJPEGImage : public TGraphic {
public:
  int Width() const override { return bitmap_.Width(); }
  int Height() const override { return bitmap_.Height(); }
  bool Empty() const override { return bitmap_.Empty(); }

  // Decodes the whole file at scale 1/1 to 24-bit colour: baseline and progressive,
  // colour, grayscale and CMYK/YCCK. Raises EFOpenError when the file cannot be opened,
  // and EInvalidGraphic ("JPEG error #<code>: <libjpeg's text>") when libjpeg fails to read
  // the header, as for a file that is not a JPEG; the picture is unchanged then. Damage
  // past the header raises nothing: data cut short or corrupt is what libjpeg makes of
  // it (it fills what is missing), and where libjpeg gives up, the rows it did not reach
  // stay black.
  void LoadFromFile(const std::string& fileName) override;
  void Draw(HDC dc, int x, int y) const override { bitmap_.Draw(dc, x, y); }
  std::unique_ptr<TGraphic> Clone() const override;

private:
  TBitmap bitmap_;
};
