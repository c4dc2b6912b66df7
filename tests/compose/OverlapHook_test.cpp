// The overlap hook: installed with the first player and removed with the last; a message
// of its filter to a related window that overlaps a transparent player on the screen marks
// the player's background stale and invalidates its client area with erasing; unrelated,
// edge-sharing, opaque, windowless and own-window cases are left alone.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ComposeSupport.h"
#include "vcl/ScopedGdi.h"

namespace {

// The observed player's rectangle on the form, and rectangles around it.
constexpr RECT kPlayer{100, 100, 200, 150};
constexpr RECT kOverlapping{150, 120, 230, 180};
constexpr RECT kRightNeighbour{200, 100, 250, 150};  // shares the player's right edge
constexpr RECT kBelow{100, 150, 200, 200};           // shares its bottom edge
constexpr RECT kFar{300, 200, 350, 250};

// What a trigger left behind for a player.
struct Refresh {
  bool stale = false;    // NeedBackground
  bool invalid = false;  // an update region
  RECT update{};         // its bounds
  int erases = 0;        // erasing of the player's window by its BeginPaint
};

// Paints the player (a transparent paint clears NeedBackground) and validates its window,
// then runs `trigger` and has the player's window updated.
Refresh Observe(TWatchedPlayer& player, const std::function<void()>& trigger) {
  player.PaintFrame();
  ValidateRect(player.Handle(), nullptr);
  player.WindowErases = 0;
  trigger();
  Refresh r;
  r.stale = player.NeedBackground();
  r.invalid = GetUpdateRect(player.Handle(), &r.update, FALSE) != 0;
  UpdateWindow(player.Handle());
  r.erases = player.WindowErases;
  return r;
}

void ExpectRefresh(bool refreshed, const Refresh& r, TWatchedPlayer& player) {
  EXPECT_EQ(r.stale, refreshed) << "NeedBackground";
  EXPECT_EQ(r.invalid, refreshed) << "invalidated";
  if (refreshed) {
    EXPECT_EQ(r.update, player.ClientRect());
  }
  EXPECT_EQ(r.erases, refreshed ? 1 : 0) << "erased";
}

std::function<void()> Send(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return [=] { SendMessageA(window, msg, wParam, lParam); };
}

// Controls on the shared form around one observed player; freed with the scene, the
// player first.
class Scene {
public:
  TPatternForm& form = PatternForm();

  TWatchedPlayer& Player(TComponent* owner) {
    player_ = Place(new TWatchedPlayer(owner), kPlayer);
    return *player_;
  }
  TWatchedPlayer& Observed() { return *player_; }
  TWinControl& Sibling(TComponent* owner, const RECT& bounds) {
    others_.emplace_back(Place(new TSibling(owner), bounds));
    return static_cast<TWinControl&>(*others_.back());
  }
  // Opaque: a transparent one would capture when painted, and so have the form paint the
  // observed player, which then repaints itself in full.
  TVxAVIPlay& OtherPlayer(const RECT& bounds) {
    Freeing<TVxAVIPlay> other = Place(new TVxAVIPlay(&form), bounds);
    other->SetTransparent(false);
    others_.emplace_back(std::move(other));
    return static_cast<TVxAVIPlay&>(*others_.back());
  }
  // A child window of the form that is no control's.
  HWND RawWindow(const RECT& bounds) {
    raw_.emplace_back(CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                                      bounds.right - bounds.left, bounds.bottom - bounds.top, form.Handle(),
                                      nullptr, GetModuleHandleA(nullptr), nullptr));
    return raw_.back();
  }
  ~Scene() {
    player_.reset();
    others_.clear();
    for (HWND window : raw_) DestroyWindow(window);
    PumpIdle();
  }

private:
  template <class T>
  Freeing<T> Place(T* control, const RECT& bounds) {
    Freeing<T> owned(control);
    owned->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    owned->SetParent(&form);
    return owned;
  }
  std::vector<Freeing<TComponent>> others_;
  std::vector<HWND> raw_;
  Freeing<TWatchedPlayer> player_;
};

TEST(OverlapHook, TheFirstPlayerInstallsTheHookAndTheLastRemovesIt) {
  ASSERT_NE(PlayerList, nullptr);
  ASSERT_EQ(PlayerList->Count(), 0) << "no player is left from another test";
  for (const char* round : {"first", "again"}) {
    SCOPED_TRACE(round);
    {
      Scene scene;
      Freeing<TVxAVIPlay> windowless(new TVxAVIPlay(&scene.form));
      ASSERT_EQ(PlayerList->Count(), 1);
      const HHOOK hook = HookHandle;
      EXPECT_NE(hook, nullptr);
      TWatchedPlayer& player = scene.Player(&scene.form);
      EXPECT_EQ(HookHandle, hook) << "the second player shares the hook";
      ASSERT_EQ(PlayerList->Count(), 2);
      EXPECT_EQ(PlayerList->Items(0), windowless.get());
      EXPECT_EQ(PlayerList->Items(1), &player);

      windowless.reset();
      ASSERT_EQ(PlayerList->Count(), 1);
      EXPECT_EQ(PlayerList->Items(0), &player);
      PumpIdle();
      ExpectRefresh(true, Observe(player, Send(scene.form.Handle(), WM_PAINT)), player);
    }  // the scene frees the last player
    EXPECT_EQ(PlayerList->Count(), 0);
    EXPECT_FALSE(UnhookWindowsHookEx(HookHandle)) << "the hook was removed already";
  }
}

TEST(OverlapHook, AWindowRelatedToThePlayerRefreshesItOnlyWhereTheyOverlap) {
  struct Case {
    const char* name;
    std::function<HWND(Scene&)> setUp;  // makes the observed player; returns the window painted
    bool refreshed;
  };
  const Case cases[] = {
      {"the owning form", [](Scene& s) { s.Player(&s.form); return s.form.Handle(); }, true},
      {"an overlapping sibling",
       [](Scene& s) { s.Player(&s.form); return s.Sibling(&s.form, kOverlapping).Handle(); }, true},
      {"a sibling on the right edge",
       [](Scene& s) { s.Player(&s.form); return s.Sibling(&s.form, kRightNeighbour).Handle(); }, false},
      {"a sibling on the bottom edge",
       [](Scene& s) { s.Player(&s.form); return s.Sibling(&s.form, kBelow).Handle(); }, false},
      {"an overlapping control of no owner",
       [](Scene& s) { s.Player(&s.form); return s.Sibling(nullptr, kOverlapping).Handle(); }, false},
      {"the player itself", [](Scene& s) { return s.Player(&s.form).Handle(); }, false},
      {"an overlapping player of the same owner",
       [](Scene& s) { s.Player(&s.form); return s.OtherPlayer(kOverlapping).Handle(); }, false},
      {"an overlapping player that owns the player",
       [](Scene& s) {
         TVxAVIPlay& owner = s.OtherPlayer(kOverlapping);
         s.Player(&owner);
         return owner.Handle();
       },
       true},
      {"a window of no control, for an owned player",
       [](Scene& s) { s.Player(&s.form); return s.RawWindow(kOverlapping); }, false},
      {"a window of no control, for a player of no owner",
       [](Scene& s) { s.Player(nullptr); return s.RawWindow(kOverlapping); }, true},
      {"the form, for a player of no owner (the form has none either)",
       [](Scene& s) { s.Player(nullptr); return s.form.Handle(); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    const HWND painted = c.setUp(scene);
    TWatchedPlayer& player = scene.Observed();
    PumpIdle();
    ExpectRefresh(c.refreshed, Observe(player, Send(painted, WM_PAINT)), player);
  }
}

TEST(OverlapHook, OnlyTheFilteredMessagesOfAnOverlappingSiblingCount) {
  ScopedMemoryDC scratch(nullptr);
  const WPARAM dc = reinterpret_cast<WPARAM>(static_cast<HDC>(scratch));
  struct Case {
    const char* name;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool refreshed;
  };
  const Case cases[] = {
      {"WM_SIZE", WM_SIZE, SIZE_RESTORED, MAKELPARAM(80, 60), true},
      {"WM_PAINT", WM_PAINT, 0, 0, true},
      {"WM_ERASEBKGND", WM_ERASEBKGND, dc, 0, true},
      {"the first notification, 0xBC01", CN_BASE + 1, 0, 0, true},
      {"the last notification, 0xBDF3", CN_BASE + 0x1F3, 0, 0, true},
      {"0xBC00", CN_BASE, 0, 0, false},
      {"0xBDF4", CN_BASE + 0x1F4, 0, 0, false},
      {"WM_MOVE", WM_MOVE, 0, MAKELPARAM(150, 120), false},
      {"WM_NCPAINT", WM_NCPAINT, 1, 0, false},
      {"WM_SETTEXT", WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    TWatchedPlayer& player = scene.Player(&scene.form);
    const HWND sibling = scene.Sibling(&scene.form, kOverlapping).Handle();
    PumpIdle();
    ExpectRefresh(c.refreshed, Observe(player, Send(sibling, c.msg, c.wParam, c.lParam)), player);
  }
}

// The form hands WM_COMMAND and WM_CTLCOLOR* back to the control they name, as CN_BASE
// plus the message; that control's overlap decides.
TEST(OverlapHook, ANotificationHandedBackToAnOverlappingSiblingCounts) {
  ScopedMemoryDC scratch(nullptr);
  const WPARAM dc = reinterpret_cast<WPARAM>(static_cast<HDC>(scratch));
  struct Case {
    const char* name;
    UINT msg;
    WPARAM wParam;
    const RECT* sibling;
    bool refreshed;
  };
  const Case cases[] = {
      {"WM_COMMAND naming an overlapping sibling", WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), &kOverlapping, true},
      {"WM_COMMAND naming a sibling far away", WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), &kFar, false},
      {"WM_CTLCOLORSTATIC naming an overlapping sibling", WM_CTLCOLORSTATIC, dc, &kOverlapping, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    TWatchedPlayer& player = scene.Player(&scene.form);
    const HWND sibling = scene.Sibling(&scene.form, *c.sibling).Handle();
    PumpIdle();
    ExpectRefresh(c.refreshed,
                  Observe(player, Send(scene.form.Handle(), c.msg, c.wParam, reinterpret_cast<LPARAM>(sibling))),
                  player);
  }
}

// Each goes through the player's own handler (the size handler paints and so clears
// NeedBackground itself); the hook adds nothing.
TEST(OverlapHook, MessagesToThePlayersOwnWindowDoNotRefreshIt) {
  ScopedMemoryDC scratch(nullptr);
  const WPARAM dc = reinterpret_cast<WPARAM>(static_cast<HDC>(scratch));
  const std::pair<UINT, WPARAM> messages[] = {{WM_PAINT, 0}, {WM_ERASEBKGND, dc}, {WM_SIZE, SIZE_RESTORED}};
  for (const auto& [msg, wParam] : messages) {
    SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << msg);
    Scene scene;
    TWatchedPlayer& player = scene.Player(&scene.form);
    PumpIdle();
    ExpectRefresh(false, Observe(player, Send(player.Handle(), msg, wParam, MAKELPARAM(100, 50))), player);
  }
}

TEST(OverlapHook, AnOpaquePlayerIsNeverRefreshed) {
  Scene scene;
  TWatchedPlayer& player = scene.Player(&scene.form);
  const HWND sibling = scene.Sibling(&scene.form, kOverlapping).Handle();
  PumpIdle();
  player.PaintFrame();  // clears NeedBackground while still transparent
  player.SetTransparent(false);
  PumpIdle();
  ASSERT_FALSE(player.NeedBackground());
  for (HWND painted : {scene.form.Handle(), sibling}) {
    SCOPED_TRACE(painted == sibling ? "the sibling" : "the form");
    ExpectRefresh(false, Observe(player, Send(painted, WM_PAINT)), player);
  }
}

// A player made at run time without a parent is in the list before the observed one.
TEST(OverlapHook, APlayerWithoutAWindowIsLeftAloneAndTheOthersStillRefresh) {
  Scene scene;
  Freeing<TVxAVIPlay> windowless(new TVxAVIPlay(&scene.form));
  TWatchedPlayer& player = scene.Player(&scene.form);
  PumpIdle();
  ASSERT_EQ(PlayerList->IndexOf(windowless.get()) + 1, PlayerList->IndexOf(&player));
  ExpectRefresh(true, Observe(player, Send(scene.form.Handle(), WM_PAINT)), player);
  EXPECT_FALSE(windowless->HandleAllocated()) << "the hook made no window";
}

}  // namespace
