// The player gives back what it takes: GDI objects over many paints of every kind, and
// GDI objects, files and memory over many opened and closed files.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "PlayerTestSupport.h"
#include "support/ProcessMemory.h"
#include "vcl/GdiLeakProbe.h"

namespace {

TEST(PlayerResources, TenThousandPaintsOfEachKindLeaveTheGdiTableAsItWas) {
  struct Case {
    const char* name;
    bool open, designing;
    std::function<void(TVxAVIPlay&)> paint;
  };
  const Case cases[] = {
      {"opaque frames", true, false, [](TVxAVIPlay& p) { p.PaintFrame(); }},
      {"margins", true, false, [](TVxAVIPlay& p) { p.Perform(WM_ERASEBKGND, 0, 0); }},
      {"the empty face", false, false, [](TVxAVIPlay& p) { p.PaintFrame(); }},
      {"the design frame", false, true, [](TVxAVIPlay& p) { p.PaintFrame(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Stage stage;
    TVxAVIPlay& player = stage.Player();
    player.SetAutoSize(false);
    player.SetDesigning(c.designing);
    if (c.open) player.SetFileName(Files().Colours);
    PumpIdle();
    c.paint(player);  // whatever the first draw sets up for good
    const int mark = GdiLeakProbe::HighWater();
    for (int i = 0; i < 10000; ++i) c.paint(player);
    EXPECT_LE(GdiLeakProbe::HighWater() - mark, 2);
  }
}

TEST(PlayerResources, AHundredOpenedAndClosedFilesLeaveNothingBehind) {
  // A file of its own, which can be deleted afterwards only if nothing holds it open.
  const std::string file = Files().Video320 + ".cycled.avi";
  ASSERT_TRUE(CopyFileA(Files().Video320.c_str(), file.c_str(), FALSE));
  Stage stage;
  TVxAVIPlay& player = stage.Player();
  auto cycle = [&] {
    player.SetFileName(file);
    player.SetActive(true);
    player.SetFileName("");
  };
  cycle();
  PumpIdle();
  const int mark = GdiLeakProbe::HighWater();
  const SIZE_T bytes = PrivateBytes();
  ASSERT_GT(bytes, 0u);
  for (int i = 0; i < 100; ++i) cycle();
  PumpIdle();
  EXPECT_LE(GdiLeakProbe::HighWater() - mark, 2);
  // A frame reader of 320 x 240 holds a 230 KB frame: a hundred kept would be 23 MB.
  EXPECT_LT(PrivateBytes(), bytes + 12 * 1024 * 1024) << "grew by " << (PrivateBytes() - bytes) / 1024 << " KB";
  EXPECT_EQ(stage.Log().Names().size(), 101u * 4) << "Open, Start, Stop, Close each time";
  EXPECT_TRUE(DeleteFileA(file.c_str())) << "the file is still open";
}

}  // namespace
