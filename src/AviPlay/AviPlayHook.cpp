// The overlap hook: one WH_CALLWNDPROC hook on the user-interface thread, shared by all
// players, marks the captured background of a transparent player stale whenever a
// related window that overlaps it on the screen is painted, erased or resized, or gets
// one of the class library's control notifications.
#include "AviPlay.h"

TList* PlayerList = nullptr;
HHOOK HookHandle = nullptr;

namespace {

// The unit's initialisation and finalisation. Players still registered at the end lose
// the hook; one destroyed after that finds no list and unregisters nothing.
struct PlayerUnit {
  PlayerUnit() { PlayerList = new TList; }
  ~PlayerUnit() {
    if (PlayerList->Count() > 0) UnhookWindowsHookEx(HookHandle);
    delete PlayerList;
    PlayerList = nullptr;
  }
} playerUnit;

bool IsWatched(UINT msg) {
  return msg == WM_SIZE || msg == WM_PAINT || msg == WM_ERASEBKGND ||
         (msg >= CN_BASE + 1 && msg <= CN_BASE + 0x1F3);
}

}  // namespace

void RegisterPlayer(TVxAVIPlay* player) {
  if (!PlayerList) return;
  if (PlayerList->Count() == 0)
    HookHandle = SetWindowsHookExA(WH_CALLWNDPROC, &CallWndHook, nullptr, GetCurrentThreadId());
  PlayerList->Add(player);
}

void UnregisterPlayer(TVxAVIPlay* player) {
  if (!PlayerList) return;
  PlayerList->Remove(player);
  if (PlayerList->Count() == 0) UnhookWindowsHookEx(HookHandle);
}

// A window is related to a player when it is a control of the same owner that is no
// player, or the player's owner itself; only then do their screen rectangles matter.
bool WindowOverlapsPlayer(const CWPSTRUCT& message, TVxAVIPlay* player) {
  if (!player->HandleAllocated()) return false;
  TWinControl* control = TWinControl::FindControl(message.hwnd);
  const bool sibling = control && !dynamic_cast<TVxAVIPlay*>(control) && control->Owner() == player->Owner();
  const bool owner = control == player->Owner();
  if (!sibling && !owner) return false;
  RECT window, playerWindow, overlap;
  GetWindowRect(message.hwnd, &window);
  GetWindowRect(player->Handle(), &playerWindow);
  return IntersectRect(&overlap, &window, &playerWindow) != 0;
}

LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallNextHookEx(HookHandle, code, wParam, lParam);
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (!PlayerList || !IsWatched(message->message)) return result;
  const int count = PlayerList->Count();
  for (int i = 0; i < count && i < PlayerList->Count(); ++i) {
    auto* player = static_cast<TVxAVIPlay*>(PlayerList->Items(i));
    if (!player->Transparent() || !WindowOverlapsPlayer(*message, player)) continue;
    player->needBackground_ = true;
    const RECT client = player->ClientRect();
    InvalidateRect(player->Handle(), &client, TRUE);
  }
  return result;
}
