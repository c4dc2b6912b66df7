// Pictures: BMP and JPEG files loaded, drawn and copied, checked pixel by pixel against
// ImageMagick's decoding of the same fixture files (see tests/fixtures/graphics).
#include "vcl/Graphics.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "BmpBuilder.h"
#include "GdiLeakProbe.h"
#include "vcl/FileRead.h"
#include "vcl/Jpeg.h"
#include "vcl/ScopedGdi.h"

namespace {

std::string Fixture(const std::string& name) {
  char path[MAX_PATH];
  const std::string exe(path, GetModuleFileNameA(nullptr, path, sizeof path));
  return exe.substr(0, exe.find_last_of("\\/") + 1) + "fixtures\\graphics\\" + name;
}

// A file in the temporary folder for the length of a test.
class TempFile {
public:
  TempFile(const std::string& name, const std::string& bytes) {
    char folder[MAX_PATH];
    path_ = std::string(folder, GetTempPathA(sizeof folder, folder)) + "vcl_graphics_test_" + name;
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { DeleteFileA(path_.c_str()); }
  const std::string& Path() const { return path_; }

private:
  std::string path_;
};

// Pixels 0x00RRGGBB, top row first.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> values;
  uint32_t At(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
};

// ImageMagick's decoding of a fixture, from its .rgb file.
Pixels Reference(const std::string& name, int width, int height) {
  const std::string raw = ReadWholeFile(Fixture(name + ".rgb"));
  Pixels p{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  EXPECT_EQ(raw.size(), p.values.size() * 3) << name;
  for (size_t i = 0; i < p.values.size() && i * 3 + 2 < raw.size(); ++i) {
    const auto byte = [&](size_t k) { return static_cast<uint32_t>(static_cast<uint8_t>(raw[i * 3 + k])); };
    p.values[i] = byte(0) << 16 | byte(1) << 8 | byte(2);
  }
  return p;
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8)
    worst = std::max(worst, std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
  return worst;
}

std::string Hex(uint32_t color) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", color);
  return text;
}

// Every pixel within `tolerance` of the expected one in each channel.
testing::AssertionResult Near(const Pixels& actual, const Pixels& expected, int tolerance) {
  if (actual.width != expected.width || actual.height != expected.height)
    return testing::AssertionFailure() << "size " << actual.width << " x " << actual.height << ", expected "
                                       << expected.width << " x " << expected.height;
  int misses = 0;
  auto result = testing::AssertionFailure();
  for (int y = 0; y < actual.height; ++y)
    for (int x = 0; x < actual.width; ++x)
      if (ChannelDistance(actual.At(x, y), expected.At(x, y)) > tolerance && misses++ == 0)
        result << "first miss at " << x << ", " << y << ": " << Hex(actual.At(x, y)) << ", expected "
               << Hex(expected.At(x, y));
  if (misses == 0) return testing::AssertionSuccess();
  return result << " (" << misses << " pixels off by more than " << tolerance << ")";
}

// A 32-bit top-down DIB section selected into a memory DC, filled with one colour.
class Canvas {
public:
  Canvas(int width, int height, uint32_t fill)
      : width_(width), height_(height), bitmap_(Create(width, height, bits_)), dc_(nullptr), select_(dc_, bitmap_) {
    std::fill_n(bits_, static_cast<size_t>(width) * height, fill);
  }
  HDC Dc() const { return dc_; }
  Pixels Read(int left, int top, int width, int height) const {
    GdiFlush();
    Pixels p{width, height, {}};
    for (int y = top; y < top + height; ++y)
      for (int x = left; x < left + width; ++x) p.values.push_back(bits_[y * width_ + x] & 0xFFFFFF);
    return p;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

private:
  static HBITMAP Create(int width, int height, uint32_t*& bits) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* memory = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    bits = static_cast<uint32_t*>(memory);
    return bitmap;
  }

  int width_, height_;
  uint32_t* bits_ = nullptr;
  ScopedGdiObject<HBITMAP> bitmap_;
  ScopedMemoryDC dc_;
  ScopedSelect select_;
};

constexpr uint32_t kUntouched = 0xFE01FE;

// Draws `graphic` at x, y onto a canvas with a margin around it: the picture's rectangle
// must match `expected` and nothing outside it may change.
testing::AssertionResult DrawsAt(const TGraphic& graphic, int x, int y, const Pixels& expected, int tolerance) {
  Canvas canvas(expected.width + x + 4, expected.height + y + 3, kUntouched);
  graphic.Draw(canvas.Dc(), x, y);
  const auto inside = Near(canvas.Read(x, y, expected.width, expected.height), expected, tolerance);
  if (!inside) return inside;
  const Pixels all = canvas.Read(0, 0, canvas.Width(), canvas.Height());
  for (int cy = 0; cy < all.height; ++cy)
    for (int cx = 0; cx < all.width; ++cx) {
      const bool inPicture = cx >= x && cx < x + expected.width && cy >= y && cy < y + expected.height;
      if (!inPicture && all.At(cx, cy) != kUntouched)
        return testing::AssertionFailure() << "drawn outside the picture at " << cx << ", " << cy;
    }
  return testing::AssertionSuccess();
}

// The same 24-bit BMP with its rows stored top-down.
std::string StoredTopDown(const std::string& bottomUp) {
  std::string file = bottomUp;
  const uint32_t offset = GetU32(file, kBmpOffBits);
  const auto width = static_cast<int32_t>(GetU32(file, kBmpWidth));
  const auto height = static_cast<int32_t>(GetU32(file, kBmpHeight));
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  for (int32_t r = 0; r < height; ++r)
    file.replace(offset + r * stride, stride, bottomUp, offset + (height - 1 - r) * stride, stride);
  PutU32(file, kBmpHeight, static_cast<uint32_t>(-height));
  return file;
}

constexpr int kPatternWidth = 24, kPatternHeight = 8;
constexpr int kBlocksWidth = 50, kBlocksHeight = 34;

TEST(TBitmap, ReadsEachFormExactly) {
  const TempFile topDown("topdown.bmp", StoredTopDown(ReadWholeFile(Fixture("rgb24.bmp"))));
  const struct {
    std::string file;
    const char* reference;
    int tolerance;  // 16-bit channels: ImageMagick widens them by scaling, GDI by repeating bits
  } cases[] = {
      {Fixture("rgb24.bmp"), "rgb24.bmp", 0},         {topDown.Path(), "rgb24.bmp", 0},
      {Fixture("pal8.bmp"), "pal8.bmp", 0},           {Fixture("pal4.bmp"), "pal4.bmp", 0},
      {Fixture("mono.bmp"), "mono.bmp", 0},           {Fixture("rle8.bmp"), "rle8.bmp", 0},
      {Fixture("rgb32-v5.bmp"), "rgb32-v5.bmp", 0},   {Fixture("rgb565-v5.bmp"), "rgb565-v5.bmp", 1},
      {Fixture("core8.bmp"), "core8.bmp", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TBitmap bitmap;
    bitmap.LoadFromFile(c.file);
    EXPECT_EQ(bitmap.Width(), kPatternWidth);
    EXPECT_EQ(bitmap.Height(), kPatternHeight);
    EXPECT_TRUE(DrawsAt(bitmap, 3, 2, Reference(c.reference, kPatternWidth, kPatternHeight), c.tolerance));
  }
}

TEST(TBitmap, DrawsExactPixelsOnTheDisplay) {
  TBitmap bitmap;
  bitmap.LoadFromFile(Fixture("rgb24.bmp"));
  const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> window(
      CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 32, nullptr, nullptr,
                      GetModuleHandleA(nullptr), nullptr),
      &DestroyWindow);
  ASSERT_TRUE(window);
  UpdateWindow(window.get());
  for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);

  const ScopedWindowDC dc(window.get());
  bitmap.Draw(dc, 5, 3);
  Canvas copy(kPatternWidth, kPatternHeight, kUntouched);
  ASSERT_TRUE(BitBlt(copy.Dc(), 0, 0, kPatternWidth, kPatternHeight, dc, 5, 3, SRCCOPY));
  EXPECT_TRUE(Near(copy.Read(0, 0, kPatternWidth, kPatternHeight),
                   Reference("rgb24.bmp", kPatternWidth, kPatternHeight), 0))
      << "display depth " << GetDeviceCaps(dc, BITSPIXEL);
}

// The centres of the six flat blocks of the `blocks` master.
const POINT kBlockCentres[] = {{8, 8}, {24, 8}, {41, 8}, {8, 25}, {24, 25}, {41, 25}};

TEST(TJPEGImage, DecodesEachForm) {
  const Pixels drawn = Reference("blocks.png", kBlocksWidth, kBlocksHeight);
  const struct {
    const char* file;
    bool gray;
  } cases[] = {{"blocks.jpg", false}, {"blocks-progressive.jpg", false}, {"blocks-gray.jpg", true},
               {"blocks-cmyk.jpg", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TJPEGImage jpeg;
    jpeg.LoadFromFile(Fixture(c.file));
    EXPECT_EQ(jpeg.Width(), kBlocksWidth);
    EXPECT_EQ(jpeg.Height(), kBlocksHeight);
    // libjpeg with other settings than ImageMagick's may round some pixels differently.
    EXPECT_TRUE(DrawsAt(jpeg, 2, 1, Reference(c.file, kBlocksWidth, kBlocksHeight), 3));

    TBitmap pixels;
    pixels.Assign(jpeg);
    for (const POINT p : kBlockCentres) {
      const uint32_t color = pixels.ScanLine(p.y)[p.x];
      SCOPED_TRACE(testing::Message() << "block at " << p.x << ", " << p.y << ": " << Hex(color));
      if (c.gray)
        EXPECT_TRUE((color >> 16) == (color & 0xFF) && (color >> 8 & 0xFF) == (color & 0xFF));
      else
        EXPECT_LE(ChannelDistance(color, drawn.At(p.x, p.y)), 10) << "drawn as " << Hex(drawn.At(p.x, p.y));
    }
  }
}

// Where a JPEG file is cut: at an offset from the first `marker` found past the first scan's header.
struct Cut {
  const char* marker;
  int offset;
};

TEST(TJPEGImage, DamagePastTheHeaderLeavesAPictureOfItsSize) {
  const Pixels drawn = Reference("blocks.png", kBlocksWidth, kBlocksHeight);
  const struct {
    const char* name;
    const char* file;
    Cut cut;
    bool topLeftDecoded;  // else libjpeg gave up before the first row: all black
  } cases[] = {
      {"baseline cut halfway through its scan", "blocks.jpg", {"\xFF\xD9", -40}, true},
      {"progressive cut at the end of its first scan", "blocks-progressive.jpg", {"\xFF\xC4", -1}, true},
      {"progressive cut inside the tables of its second scan", "blocks-progressive.jpg", {"\xFF\xC4", 6}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string whole = ReadWholeFile(Fixture(c.file));
    const size_t at = whole.find(c.cut.marker, whole.find("\xFF\xDA") + 2);
    ASSERT_NE(at, std::string::npos);
    const TempFile cut("cut.jpg", whole.substr(0, at + c.cut.offset));
    TJPEGImage jpeg;
    jpeg.LoadFromFile(cut.Path());
    EXPECT_EQ(jpeg.Width(), kBlocksWidth);
    EXPECT_EQ(jpeg.Height(), kBlocksHeight);
    TBitmap pixels;
    pixels.Assign(jpeg);
    // Near the colour drawn (#C03020) or black: a progressive picture's first scan gives
    // only coarse colours.
    const uint32_t topLeft = pixels.ScanLine(4)[4];
    EXPECT_LE(ChannelDistance(topLeft, c.topLeftDecoded ? drawn.At(4, 4) : 0), 40) << Hex(topLeft);
  }
}

std::string WithJpegSize(std::string jpeg, uint16_t width, uint16_t height) {
  const size_t sof = jpeg.find("\xFF\xC0");  // baseline frame header: length, precision, height, width
  EXPECT_NE(sof, std::string::npos) << "no SOF0 marker";
  if (sof == std::string::npos) return jpeg;
  for (const auto& [at, value] : {std::pair{sof + 5, height}, std::pair{sof + 7, width}}) {
    jpeg[at] = static_cast<char>(value >> 8);
    jpeg[at + 1] = static_cast<char>(value);
  }
  return jpeg;
}

// The grayscale fixture's frame header with a second component: a colour space libjpeg
// cannot convert.
std::string WithTwoComponents(std::string jpeg) {
  const size_t sof = jpeg.find("\xFF\xC0");  // marker, length, precision, height, width, components
  EXPECT_NE(sof, std::string::npos) << "no SOF0 marker";
  if (sof == std::string::npos) return jpeg;
  jpeg[sof + 3] = 14;
  jpeg[sof + 9] = 2;
  jpeg.insert(sof + 13, "\x02\x11\x00", 3);
  return jpeg;
}

std::string JpegError(J_MESSAGE_CODE code, const std::string& text) {
  return "JPEG error #" + std::to_string(code) + ": " + text;
}

TEST(Graphics, LoadErrorsRaiseEInvalidGraphicAndKeepThePicture) {
  const std::string bmp = ReadWholeFile(Fixture("rgb24.bmp"));
  const std::string jpeg = ReadWholeFile(Fixture("blocks.jpg"));
  const std::string text = "initfile=logo.jpg\r\ntime=3\r\n";
  const std::string bitmapInvalid = "Bitmap image is not valid";
  const struct {
    const char* name;
    bool jpegClass;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"text.bmp", false, text, bitmapInvalid},
      {"jpeg.bmp", false, jpeg, bitmapInvalid},
      {"header-cut.bmp", false, bmp.substr(0, 30), bitmapInvalid},
      {"offset-past-end.bmp", false, Changed(bmp, [](std::string& f) { PutU32(f, kBmpOffBits, 1 << 20); }),
       bitmapInvalid},
      {"absurd.bmp", false,
       Changed(bmp,
               [](std::string& f) {
                 PutU32(f, kBmpWidth, 1 << 20);
                 PutU32(f, kBmpHeight, 1 << 20);
               }),
       bitmapInvalid},
      {"empty.bmp", false, "", bitmapInvalid},
      {"bitmap.jpg", true, bmp, JpegError(JERR_NO_SOI, "Not a JPEG file: starts with 0x42 0x4d")},
      {"text.jpg", true, text, JpegError(JERR_NO_SOI, "Not a JPEG file: starts with 0x69 0x6e")},
      {"empty.jpg", true, "", JpegError(JERR_INPUT_EMPTY, "Empty input file")},
      {"header-cut.jpg", true, jpeg.substr(0, 100), JpegError(JERR_NO_IMAGE, "JPEG datastream contains no image")},
      {"absurd.jpg", true, WithJpegSize(jpeg, 60000, 60000), "JPEG image is too large: 60000 x 60000"},
      {"two-components.jpg", true, WithTwoComponents(ReadWholeFile(Fixture("blocks-gray.jpg"))),
       "JPEG image of 2 components is not supported"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFile file(c.name, c.bytes);
    std::unique_ptr<TGraphic> graphic;
    if (c.jpegClass)
      graphic = std::make_unique<TJPEGImage>();
    else
      graphic = std::make_unique<TBitmap>();
    graphic->LoadFromFile(Fixture(c.jpegClass ? "blocks.jpg" : "rgb24.bmp"));
    const int width = graphic->Width(), height = graphic->Height();
    try {
      graphic->LoadFromFile(file.Path());
      ADD_FAILURE() << "loaded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(graphic->Width(), width);
    EXPECT_EQ(graphic->Height(), height);
  }
}

TEST(Graphics, MissingFileRaisesEFOpenErrorNamingIt) {
  const std::string missing = Fixture("no-such-picture.bmp");
  TBitmap bitmap;
  TJPEGImage jpeg;
  for (TGraphic* graphic : std::initializer_list<TGraphic*>{&bitmap, &jpeg}) {
    try {
      graphic->LoadFromFile(missing);
      ADD_FAILURE() << "loaded";
    } catch (const EFOpenError& e) {
      EXPECT_NE(e.Message().find("\"" + missing + "\""), std::string::npos) << e.Message();
    }
    EXPECT_TRUE(graphic->Empty());
  }
}

TEST(TBitmap, AssignAndCloneMakeIndependentCopies) {
  TBitmap original;
  original.LoadFromFile(Fixture("rgb24.bmp"));
  const Pixels pattern = Reference("rgb24.bmp", kPatternWidth, kPatternHeight);

  TBitmap assigned;
  assigned.Assign(original);
  const std::unique_ptr<TGraphic> cloned = original.Clone();
  ASSERT_NE(dynamic_cast<TBitmap*>(cloned.get()), nullptr);
  for (TBitmap* copy : {&assigned, static_cast<TBitmap*>(cloned.get())}) {
    EXPECT_NE(copy->Handle(), original.Handle());
    EXPECT_TRUE(DrawsAt(*copy, 0, 0, pattern, 0));
    copy->ScanLine(0)[0] = 0x123456;
  }
  EXPECT_TRUE(DrawsAt(original, 0, 0, pattern, 0));

  TJPEGImage jpeg;
  jpeg.LoadFromFile(Fixture("blocks.jpg"));
  TBitmap fromJpeg;
  fromJpeg.Assign(jpeg);
  Canvas jpegDrawn(kBlocksWidth, kBlocksHeight, 0);
  jpeg.Draw(jpegDrawn.Dc(), 0, 0);
  EXPECT_TRUE(DrawsAt(fromJpeg, 0, 0, jpegDrawn.Read(0, 0, kBlocksWidth, kBlocksHeight), 0));

  fromJpeg.Assign(TBitmap());
  EXPECT_TRUE(fromJpeg.Empty());
  EXPECT_EQ(fromJpeg.Handle(), nullptr);
}

TEST(TBitmap, SetSizeMakesABlackPictureOrNone) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  EXPECT_NE(bitmap.Handle(), nullptr);
  EXPECT_TRUE(DrawsAt(bitmap, 1, 1, Pixels{3, 2, std::vector<uint32_t>(6, 0)}, 0));
  EXPECT_THROW(bitmap.ScanLine(2), EInvalidGraphic);
  EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphic);

  EXPECT_THROW(bitmap.SetSize(8193, 8192), EOutOfResources);
  EXPECT_EQ(bitmap.Width(), 3);

  bitmap.SetSize(0, 5);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Handle(), nullptr);
  EXPECT_EQ(bitmap.Height(), 0);
}

TEST(TPicture, AssignHoldsACopyOfTheSameClass) {
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&] { ++changes; };

  {
    TBitmap source;
    source.LoadFromFile(Fixture("rgb24.bmp"));
    picture.Assign(&source);
    EXPECT_NE(picture.Graphic(), &source);
  }  // the source is gone; the picture still draws
  EXPECT_EQ(changes, 1);
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), kPatternWidth);
  EXPECT_EQ(picture.Height(), kPatternHeight);
  EXPECT_TRUE(DrawsAt(*picture.Graphic(), 1, 1, Reference("rgb24.bmp", kPatternWidth, kPatternHeight), 0));

  picture.Assign(picture.Graphic());
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(DrawsAt(*picture.Graphic(), 1, 1, Reference("rgb24.bmp", kPatternWidth, kPatternHeight), 0));

  {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(Fixture("blocks.jpg"));
    picture.Assign(&jpeg);
  }
  EXPECT_EQ(changes, 3);
  ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), kBlocksWidth);
  EXPECT_TRUE(DrawsAt(*picture.Graphic(), 0, 0, Reference("blocks.jpg", kBlocksWidth, kBlocksHeight), 3));

  picture.Assign(nullptr);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(picture.Height(), 0);
}

TEST(GdiLeakProbe, SeesLeakedObjects) {
  const GdiLeakProbe probe;
  std::vector<ScopedGdiObject<HBRUSH>> held;
  for (int i = 0; i < 200; ++i) held.emplace_back(CreateSolidBrush(RGB(i, 0, 0)));
  EXPECT_GE(probe.Growth(), 190);
}

TEST(Graphics, LoadingCopyingAndDrawingLeakNoGdiObjects) {
  const TempFile notABitmap("leak-text.bmp", "not a bitmap");
  const std::string bitmaps[] = {Fixture("rgb24.bmp"), Fixture("rle8.bmp"), Fixture("pal8.bmp")};
  Canvas canvas(kBlocksWidth, kBlocksHeight, 0);
  const GdiLeakProbe probe;
  for (int i = 0; i < 1000; ++i) {
    TPicture picture;
    {
      TBitmap bitmap;
      bitmap.LoadFromFile(bitmaps[i % 3]);
      picture.Assign(&bitmap);
    }
    picture.Graphic()->Draw(canvas.Dc(), 0, 0);
    {
      TJPEGImage jpeg;
      jpeg.LoadFromFile(Fixture(i % 2 ? "blocks.jpg" : "blocks-cmyk.jpg"));
      picture.Assign(&jpeg);
    }
    picture.Graphic()->Draw(canvas.Dc(), 0, 0);
    TBitmap copy;
    copy.Assign(*picture.Graphic());
    EXPECT_THROW(copy.LoadFromFile(notABitmap.Path()), EInvalidGraphic);
    copy.SetSize(2, 2);  // each replaces the picture the bitmap held
    copy.LoadFromFile(bitmaps[0]);
    TJPEGImage failed;
    EXPECT_THROW(failed.LoadFromFile(bitmaps[0]), EInvalidGraphic);
  }
  EXPECT_LT(probe.Growth(), 16);
}

}  // namespace
