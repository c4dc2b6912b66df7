// Transparent painting keeps no GDI object: long runs of paints (each capturing, while
// stopped), of resizes (each releasing and re-making the background) and of scaled
// four-blit copies leave the process's GDI handle table as they found it.
#include <gtest/gtest.h>

#include <functional>

#include "ColorKey.h"
#include "ComposeSupport.h"
#include "vcl/GdiLeakProbe.h"
#include "vcl/ScopedGdi.h"

namespace {

// During playback a paint reuses the background held; stopped, each paint captures anew.
TEST(ComposeResources, LongRunsKeepNoGdiObjects) {
  TPatternForm& form = PatternForm();
  auto player = NewPlayer(&form, &form, 37, 23, Files().GreenCorner);
  PumpIdle();

  ScopedWindowDC screen(nullptr);
  ScopedMemoryDC source(screen), destination(screen), mask(screen);
  ScopedGdiObject<HBITMAP> sourceBitmap(CreateCompatibleBitmap(screen, 40, 30));
  ScopedGdiObject<HBITMAP> destinationBitmap(CreateCompatibleBitmap(screen, 80, 60));
  ScopedGdiObject<HBITMAP> maskBitmap(CreateBitmap(40, 30, 1, 1, nullptr));
  ScopedSelect s1(source, sourceBitmap), s2(destination, destinationBitmap), s3(mask, maskBitmap);

  struct Run {
    const char* name;
    int times;
    bool playing;
    std::function<void(int)> step;
  };
  const Run runs[] = {
      {"transparent paints during playback", 10000, true, [&](int) { player->PaintFrame(); }},
      {"transparent paints that capture", 1000, false, [&](int) { player->PaintFrame(); }},
      {"resizes", 100, false, [&](int i) { player->SetWidth(i % 2 ? 70 : 64); }},
      {"scaled four-blit copies", 2000, false,
       [&](int) { MaskedStretchBlit(destination, 0, 0, 80, 60, source, 0, 0, 40, 30, mask, 0, 0); }},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.name);
    // The clock's repaint requests wait in the queue meanwhile; a capture would take the
    // background anew at each of them.
    if (run.playing) player->Play(0, 9, 0);
    for (int i = 0; i < 20; ++i) run.step(i);  // whatever is made once and kept
    const int before = GdiLeakProbe::HighWater();
    const int captures = form.OffscreenPaints;
    for (int i = 0; i < run.times; ++i) run.step(i);
    EXPECT_EQ(GdiLeakProbe::HighWater() - before, 0) << "GDI objects kept";
    if (run.playing) {
      EXPECT_EQ(form.OffscreenPaints, captures) << "no capture during playback";
      player->Stop();
      PumpIdle();
    }
  }
  EXPECT_NE(player->BackDC(), nullptr);
}

}  // namespace
