#include "Screenshot.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "support/TempDir.h"
#include "support/UnixCommand.h"
#include "vcl/FileRead.h"

Screenshot Screenshot::Take() {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  TempDir folder("screenshot-");
  const std::string file = folder / "screen.rgb";
  const UnixResult import = RunUnixCommand("import -window root -depth 8 'rgb:" + UnixPath(file) + "'", 30000);
  if (import.timedOut || import.exitStatus != 0)
    throw std::runtime_error("import failed (status " + std::to_string(import.exitStatus) + "): " + import.errors);
  std::string rgb = ReadWholeFile(file);
  if (rgb.size() != static_cast<size_t>(width) * height * 3)
    throw std::runtime_error("the screenshot has " + std::to_string(rgb.size()) + " bytes, not those of " +
                             std::to_string(width) + " x " + std::to_string(height) + " pixels");
  return Screenshot(width, height, std::move(rgb));
}

uint32_t Screenshot::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_)
    throw std::out_of_range("pixel " + std::to_string(x) + "," + std::to_string(y) + " is off the screen");
  const auto* at = reinterpret_cast<const unsigned char*>(rgb_.data()) + (static_cast<size_t>(y) * width_ + x) * 3;
  return static_cast<uint32_t>(at[0]) << 16 | static_cast<uint32_t>(at[1]) << 8 | at[2];
}

std::string PixelMismatches(const Screenshot& shot, const std::vector<PixelCheck>& checks, int tolerance) {
  std::string mismatches;
  for (const PixelCheck& check : checks) {
    const uint32_t seen = shot.Pixel(check.x, check.y);
    const auto channel = [](uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); };
    bool close = true;
    for (int shift = 0; shift < 24; shift += 8)
      close = close && std::abs(channel(seen, shift) - channel(check.rgb, shift)) <= tolerance;
    if (close) continue;
    char line[160];
    std::snprintf(line, sizeof line, "%s at %d,%d: #%06X, expected #%06X\n", check.what, check.x, check.y,
                  static_cast<unsigned>(seen), static_cast<unsigned>(check.rgb));
    mismatches += line;
  }
  return mismatches;
}
