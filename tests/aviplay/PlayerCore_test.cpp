// The player control's life: a new control and its published defaults, opening files and
// failing to, clamping frame numbers, loading from a form description, the order of its
// events, and resizing to the video without redrawing the whole parent.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "PlayerTestSupport.h"
#include "vcl/ComponentStreams.h"

using Names = std::vector<std::string>;

namespace {

bool HasTransparentStyle(TVxAVIPlay& player) {
  return (GetWindowLongA(player.Handle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
}

TEST(PlayerCore, ANewControlHasItsDocumentedStateAndNoWindow) {
  Freeing<TVxAVIPlay> player(new TVxAVIPlay(nullptr));
  const TVxAVIPlay& p = *player;
  EXPECT_EQ(p.Width(), 100);
  EXPECT_EQ(p.Height(), 50);
  EXPECT_TRUE(p.AutoSize());
  EXPECT_TRUE(p.Center());
  EXPECT_TRUE(p.Transparent());
  EXPECT_TRUE(p.PlaySound());
  EXPECT_FALSE(p.Stretch());
  EXPECT_FALSE(p.Active());
  EXPECT_EQ(p.StartFrame(), 1);
  EXPECT_EQ(p.StopFrame(), 0);
  EXPECT_EQ(p.Repetitions(), 0);
  EXPECT_EQ(p.FileName(), "");
  EXPECT_FALSE(p.Opened());
  EXPECT_EQ(p.FrameCount(), 0);
  EXPECT_EQ(p.CurrentFrame(), 0);
  EXPECT_EQ(p.VideoWidth(), 0);
  EXPECT_EQ(p.VideoHeight(), 0);
  EXPECT_EQ(p.TimerId(), 0u);
  EXPECT_EQ(p.VideoStream(), nullptr);
  EXPECT_EQ(p.AudioStream(), nullptr);
  EXPECT_NE(p.DrawDibHandle(), nullptr);
  EXPECT_TRUE(p.ParentRedraw());
  EXPECT_TRUE(p.NeedBackground());
  EXPECT_FALSE(p.HandleAllocated());
}

TEST(PlayerCore, PublishedDefaultsAreTheNewControlsValuesAndNothingElseIsWritten) {
  Freeing<TVxAVIPlay> player(new TVxAVIPlay(nullptr));
  const TPropertyTable& table = player->Properties();
  struct Default {
    const char* name;
    int64_t value;
  };
  const Default defaults[] = {
      {"Active", 0},      {"AutoSize", 1},   {"Center", 1},         {"PlaySound", 1},
      {"Repetitions", 0}, {"StartFrame", 1}, {"StopFrame", 0},      {"Stretch", 0},
      {"Transparent", 1}, {"Align", alNone}, {"Color", clWindow},   {"ParentColor", 1},
      {"ParentShowHint", 1}, {"Visible", 1},
  };
  for (const Default& d : defaults) {
    const TPropInfo* info = table.Find(d.name);
    ASSERT_NE(info, nullptr) << d.name;
    EXPECT_EQ(info->Default, d.value) << d.name;
    EXPECT_EQ(info->GetOrd(*player), d.value) << d.name << " after construction";
  }

  // Stored in this order: position and size, the player's own, the events, then the base's.
  const Names order{"Left",      "Top",     "Width",      "Height",  "Active",      "AutoSize",
                    "Center",    "FileName", "PlaySound", "Repetitions", "StartFrame", "StopFrame",
                    "Stretch",   "Transparent", "OnOpen", "OnClose", "OnStart",     "OnStop",
                    "Align",     "Color",   "ParentColor", "ParentShowHint", "ShowHint", "Visible"};
  Names all;
  for (const TPropInfo& info : table.All())
    if (std::find(order.begin(), order.end(), info.Name) != order.end()) all.push_back(info.Name);
  EXPECT_EQ(all, order);

  const TFormObject written = WriteComponent(*player);
  EXPECT_EQ(written.ClassName, "TVxAVIPlay");
  const std::vector<TFormProperty> positionAndSize{{"Left", TFormValue::Integer(0)},
                                                   {"Top", TFormValue::Integer(0)},
                                                   {"Width", TFormValue::Integer(100)},
                                                   {"Height", TFormValue::Integer(50)}};
  EXPECT_EQ(written.Properties, positionAndSize) << WriteFormText(written);
}

struct OpenCase {
  const char* name;
  std::string PlayerFiles::*file;
  bool autoSize;
  int32_t width, height;  // the control's afterwards, at its old place
  int32_t start;          // the stream's first frame
  bool sound;
};

TEST(PlayerCore, OpeningAFileSetsItsRangeSizeAndStyleAndFiresOnOpenOnce) {
  const OpenCase cases[] = {
      {"320 x 240, AutoSize on", &PlayerFiles::Video320, true, 320, 240, 0, false},
      {"320 x 240, AutoSize off", &PlayerFiles::Video320, false, 100, 50, 0, false},
      {"first frame 3", &PlayerFiles::LateStart, true, 64, 48, 3, false},
      {"with sound", &PlayerFiles::WithSound, true, 64, 48, 0, true},
  };
  for (const OpenCase& c : cases) {
    SCOPED_TRACE(c.name);
    Stage stage;
    TVxAVIPlay& player = stage.Player();
    player.SetAutoSize(c.autoSize);
    ASSERT_TRUE(HasTransparentStyle(player)) << "a new window is transparent";
    const std::string& file = Files().*c.file;
    player.SetFileName(file);

    EXPECT_TRUE(player.Opened());
    EXPECT_EQ(player.FrameCount(), 10);
    EXPECT_EQ(player.StartFrame(), c.start);
    EXPECT_EQ(player.StopFrame(), 9);
    EXPECT_EQ(player.CurrentFrame(), c.start);
    EXPECT_EQ(player.BoundsRect(), (RECT{10, 10, 10 + c.width, 10 + c.height}));
    RECT window;
    GetWindowRect(player.Handle(), &window);
    EXPECT_EQ(window.right - window.left, c.width) << "the window follows";
    EXPECT_FALSE(HasTransparentStyle(player));
    EXPECT_EQ(player.AudioStream() != nullptr, c.sound);
    EXPECT_EQ(stage.Log().Names(), Names{"Open"});

    player.SetFileName(std::string(file));
    EXPECT_EQ(stage.Log().Names(), Names{"Open"}) << "the same name again does nothing";
    PumpIdle();
  }
}

TEST(PlayerCore, AFileThatCannotBeOpenedLeavesTheControlClosedAfterClosingThePreviousOne) {
  struct Case {
    const char* name;
    std::string path;
  };
  const Case cases[] = {
      {"no video stream", FfmpegFixture("audio-only.avi")},
      {"no decompressor", FfmpegFixture("ffv1.avi")},
      {"not an AVI file", FfmpegFixture("not-an-avi.avi")},
      {"missing file", Files().Colours + ".missing.avi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(GetFileAttributesA(c.path.c_str()) == INVALID_FILE_ATTRIBUTES, c.name == std::string("missing file"));
    Stage stage;
    TVxAVIPlay& player = stage.Player();
    player.SetFileName(Files().Colours);
    ASSERT_TRUE(player.Opened());
    player.SetStartFrame(2);
    stage.Log().Clear();

    player.SetFileName(c.path);
    EXPECT_FALSE(player.Opened());
    EXPECT_EQ(player.FrameCount(), 0);
    EXPECT_EQ(player.VideoStream(), nullptr);
    EXPECT_EQ(player.AudioStream(), nullptr);
    EXPECT_EQ(stage.Log().Names(), Names{"Close"});
    EXPECT_EQ(player.StartFrame(), 2) << "kept";
    EXPECT_EQ(player.StopFrame(), 9) << "kept";

    player.SetActive(true);
    EXPECT_FALSE(player.Active());
    EXPECT_EQ(player.TimerId(), 0u);
    EXPECT_EQ(stage.Log().Names(), Names{"Close"});
  }
}

TEST(PlayerCore, FrameNumbersAreClampedToTheOpenFileOnly) {
  struct Case {
    int32_t value;
    bool open;
    int32_t stored;
  };
  const Case cases[] = {{1000, true, 9}, {-3, true, 0}, {5, true, 5}, {1000, false, 1000}, {-3, false, -3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + (c.open ? " open" : " closed"));
    Stage stage;
    if (c.open) stage.Player().SetFileName(Files().Colours);
    stage.Player().SetStartFrame(c.value);
    stage.Player().SetStopFrame(c.value);
    EXPECT_EQ(stage.Player().StartFrame(), c.stored);
    EXPECT_EQ(stage.Player().StopFrame(), c.stored);
  }
}

// A form with a published player and handlers, read from a description.
class TPlayerForm : public THostForm {
public:
  using THostForm::THostForm;
  VCL_CLASS_NAME(TPlayerForm)
  const TPublishedNames* Published() const override {
    static const TPublishedNames names{{PublishedField<&TPlayerForm::Player1>("Player1")},
                                       {PublishedMethod<&TPlayerForm::PlayerStart>("PlayerStart"),
                                        PublishedMethod<&TPlayerForm::PlayerStop>("PlayerStop")}};
    return &names;
  }
  TVxAVIPlay* Player1 = nullptr;
  Names calls;
  void PlayerStart(TObject*) { calls.push_back("Start"); }
  void PlayerStop(TObject*) { calls.push_back("Stop"); }
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char ch : text) quoted += ch == '\'' ? std::string("''") : std::string(1, ch);
  return quoted + "'";
}

TFormObject PlayerFormTree(const std::string& fileName) {
  return ParseFormText("object PlayerForm: TPlayerForm\n"
                       "  object Player1: TVxAVIPlay\n"
                       "    Left = 20\n"
                       "    Top = 20\n"
                       "    Width = 100\n"
                       "    Height = 50\n"
                       "    Active = True\n"
                       "    FileName = " + Quoted(fileName) + "\n"
                       "    StartFrame = 2\n"
                       "    StopFrame = 5\n"
                       "    Transparent = False\n"
                       "    OnStart = PlayerStart\n"
                       "    OnStop = PlayerStop\n"
                       "  end\n"
                       "end\n");
}

TEST(PlayerCore, LoadedFromADescriptionItOpensKeepsTheRangeAndPlaysWithoutRedrawSwitches) {
  Freeing<TPlayerForm> form(new TPlayerForm(nullptr));
  ReadComponent(*form, PlayerFormTree(Files().Colours));
  ASSERT_NE(form->Player1, nullptr);
  TVxAVIPlay& player = *form->Player1;
  EXPECT_TRUE(player.Opened());
  EXPECT_EQ(player.StartFrame(), 2);
  EXPECT_EQ(player.StopFrame(), 5);
  EXPECT_TRUE(player.Active());
  EXPECT_NE(player.TimerId(), 0u);
  EXPECT_EQ(form->calls, Names{"Start"});
  EXPECT_EQ(form->Redraws, std::vector<WPARAM>{}) << "the parent's redrawing was switched";

  // Endless passes over 2..5.
  int lowest = 100, highest = -100;
  Pump(1500, [&] {
    lowest = std::min(lowest, player.CurrentFrame());
    highest = std::max(highest, player.CurrentFrame());
    return false;
  });
  EXPECT_EQ(lowest, 2);
  EXPECT_EQ(highest, 5);
  EXPECT_TRUE(player.Active());
  EXPECT_EQ(form->calls, Names{"Start"});
}

TEST(PlayerCore, LoadedWithAFileThatCannotBeOpenedItEndsInactive) {
  Freeing<TPlayerForm> form(new TPlayerForm(nullptr));
  ReadComponent(*form, PlayerFormTree(FfmpegFixture("not-an-avi.avi")));
  ASSERT_NE(form->Player1, nullptr);
  EXPECT_FALSE(form->Player1->Opened());
  EXPECT_FALSE(form->Player1->Active());
  EXPECT_EQ(form->Player1->TimerId(), 0u);
  EXPECT_EQ(form->calls, Names{});
}

TEST(PlayerCore, EventsComeInTheirOrder) {
  struct Case {
    const char* name;
    bool play;
    std::function<void(Stage&)> act;
    Names events;
  };
  const Case cases[] = {
      {"a new file while playing", true, [](Stage& s) { s.Player().SetFileName(Files().Long); },
       {"Stop", "Close", "Open", "Start"}},
      {"no file while playing", true, [](Stage& s) { s.Player().SetFileName(""); }, {"Stop", "Close"}},
      {"no file while stopped", false, [](Stage& s) { s.Player().SetFileName(""); }, {"Close"}},
      {"Active off while playing", true, [](Stage& s) { s.Player().SetActive(false); }, {"Stop"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Stage stage;
    stage.Player().SetFileName(Files().Colours);
    if (c.play) stage.Player().SetActive(true);
    ASSERT_EQ(stage.Player().Active(), c.play);
    stage.Log().Clear();
    c.act(stage);
    EXPECT_EQ(stage.Log().Names(), c.events);
  }

  // The new file plays over its full range.
  Stage stage;
  TVxAVIPlay& player = stage.Player();
  player.SetFileName(Files().Colours);
  player.SetStartFrame(3);
  player.SetActive(true);
  player.SetFileName(Files().Long);
  EXPECT_TRUE(player.Active());
  EXPECT_EQ(player.StartFrame(), 0);
  EXPECT_EQ(player.StopFrame(), 99);
}

TEST(PlayerCore, ClearingTheFileNameShowsTheEmptyFaceAndRepaintsTheParentAtOnce) {
  Stage stage;
  TVxAVIPlay& player = stage.Open(Files().Colours);
  player.SetColor(static_cast<TColor>(RGB(0x11, 0x99, 0x55)));
  PumpIdle();
  FillClient(stage.Form(), RGB(0xFF, 0x00, 0xFF));  // around the player, which it clips
  player.SetFileName("");
  EXPECT_EQ(Hex(PixelAt(stage.Form(), 300, 250)), "#000000") << "the parent's own Color, without a pump";
  EXPECT_EQ(Hex(PixelAt(player, 20, 15)), "#119955");
  EXPECT_TRUE(player.NeedBackground());
}

TEST(PlayerCore, DestroyingAPlayingControlStopsThenCloses) {
  EventLog log;
  Freeing<THostForm> form(new THostForm(nullptr));
  auto* player = new TVxAVIPlay(form.get());
  player->SetParent(form.get());
  log.Attach(*player);
  player->SetFileName(Files().Colours);
  player->SetActive(true);
  ASSERT_TRUE(player->Active());
  log.Clear();
  player->Free();
  EXPECT_EQ(log.Names(), (Names{"Stop", "Close"}));
  EXPECT_FALSE(log.Entries()[0].Active);
  Pump(300);  // a tick on its way finds no player
}

bool UpdatePending(HWND window, POINT point) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const int kind = GetUpdateRgn(window, region, FALSE);
  const bool inside = kind != NULLREGION && kind != ERROR && PtInRegion(region, point.x, point.y);
  DeleteObject(region);
  return inside;
}

bool UpdatePending(TWinControl& control) {
  RECT r;
  return GetUpdateRect(control.Handle(), &r, FALSE) != 0;
}

TEST(PlayerCore, AdjustSizeRedrawsOnlyWhatTheResizeUncovered) {
  Stage stage;
  THostForm& form = stage.Form();
  TVxAVIPlay& player = stage.Player();
  player.SetAutoSize(false);
  player.SetFileName(Files().Video100x30);
  ASSERT_EQ(player.BoundsRect(), (RECT{10, 10, 110, 60}));
  // Going to 100 x 30 gives up the strip (10, 40, 110, 60). Both siblings lie above the
  // player, so that its resize by itself exposes nothing of them.
  Freeing<TCustomControl> touched(new TCustomControl(&form));
  touched->SetBounds(30, 50, 20, 8);
  touched->SetParent(&form);
  Freeing<TCustomControl> untouched(new TCustomControl(&form));
  untouched->SetBounds(300, 200, 40, 30);
  untouched->SetParent(&form);
  for (TWinControl* sibling : {touched.get(), untouched.get()})
    SetWindowPos(sibling->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  PumpIdle();
  for (TWinControl* window : std::initializer_list<TWinControl*>{&form, &player, touched.get(), untouched.get()})
    ValidateRect(window->Handle(), nullptr);

  // The player's height at each switch shows what it brackets.
  std::vector<std::pair<WPARAM, int32_t>> switches;
  form.OnSetRedraw = [&](WPARAM on) { switches.push_back({on, player.Height()}); };
  player.SetAutoSize(true);
  form.OnSetRedraw = nullptr;

  EXPECT_EQ(player.BoundsRect(), (RECT{10, 10, 110, 40}));
  ASSERT_GE(switches.size(), 2u);
  EXPECT_EQ(switches.front(), (std::pair<WPARAM, int32_t>{0, 50})) << "off before the resize";
  EXPECT_EQ(switches.back(), (std::pair<WPARAM, int32_t>{1, 30})) << "on after it";
  int depth = 0;
  for (const auto& [on, height] : switches) {
    depth += on ? -1 : 1;
    EXPECT_GE(depth, 0) << "switched on more often than off";
  }
  EXPECT_EQ(depth, 0) << "left switched off";

  EXPECT_TRUE(UpdatePending(form.Handle(), POINT{60, 50})) << "the strip the video gave up";
  EXPECT_FALSE(UpdatePending(form.Handle(), POINT{200, 150})) << "the rest of the parent";
  EXPECT_TRUE(UpdatePending(*touched));
  EXPECT_FALSE(UpdatePending(*untouched));
}

}  // namespace
