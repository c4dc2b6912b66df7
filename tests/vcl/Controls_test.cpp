// Controls over real windows: the messages SetBounds causes, painting into a DC, the
// control of a window, reflected notifications, and clicks and key releases sent as real
// input.
#include "vcl/Controls.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "UiTestHelpers.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Graphics.h"

namespace {

// A top-level window without a frame, at a known place of the screen.
Freeing<TForm> PlainForm(int left, int top, int width, int height) {
  Freeing<TForm> form(new TForm(nullptr));
  form->SetBorderStyle(bsNone);
  form->SetBounds(left, top, width, height);
  form->SetColor(clBlack);
  return form;
}

template <class T>
T* AddControl(TForm& form, TWinControl& parent, RECT bounds) {
  T* control = new T(&form);
  control->SetParent(&parent);
  control->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
  return control;
}

// ---------------------------------------------------------------------------------------
// SetBounds

// Notes the WM_SIZE and WM_MOVE messages its window receives.
class TMoveSizeLog : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  VCL_CLASS_NAME(TMoveSizeLog)
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_SIZE || message.Msg == WM_MOVE) seen.push_back(message);
    TCustomControl::WndProc(message);
  }
  std::vector<TMessage> seen;
};

struct BoundsCase {
  const char* name;
  RECT bounds;
  bool sized;
  bool moved;
};

const RECT kStartBounds{10, 20, 60, 60};
const BoundsCase kBoundsCases[] = {
    {"unchanged", {10, 20, 60, 60}, false, false},
    {"moved down", {10, 25, 60, 65}, false, true},
    {"moved across", {30, 20, 80, 60}, false, true},
    {"wider", {10, 20, 70, 60}, true, false},
    {"taller", {10, 20, 60, 65}, true, false},
    {"moved and resized", {0, 0, 30, 30}, true, true},
};

TEST(ControlBounds, SetBoundsSendsWmSizeOnlyForANewSizeAndWmMoveOnlyForANewPlace) {
  Freeing<TForm> form = PlainForm(0, 0, 200, 150);
  auto* control = AddControl<TMoveSizeLog>(*form, *form, kStartBounds);
  control->HandleNeeded();

  for (const BoundsCase& c : kBoundsCases) {
    SCOPED_TRACE(c.name);
    control->SetBounds(kStartBounds.left, kStartBounds.top, 50, 40);
    control->seen.clear();
    const int width = c.bounds.right - c.bounds.left, height = c.bounds.bottom - c.bounds.top;
    control->SetBounds(c.bounds.left, c.bounds.top, width, height);

    std::vector<UINT> kinds, expected;
    for (const TMessage& message : control->seen) kinds.push_back(message.Msg);
    std::sort(kinds.begin(), kinds.end());
    if (c.moved) expected.push_back(WM_MOVE);
    if (c.sized) expected.push_back(WM_SIZE);
    EXPECT_EQ(kinds, expected);
    for (const TMessage& message : control->seen)
      EXPECT_EQ(message.LParam, message.Msg == WM_SIZE ? MAKELPARAM(width, height)
                                                       : MAKELPARAM(c.bounds.left, c.bounds.top));

    RECT window;
    GetWindowRect(control->Handle(), &window);
    MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&window), 2);
    EXPECT_EQ(window, c.bounds);
    EXPECT_EQ(control->BoundsRect(), c.bounds);
  }
}

// ---------------------------------------------------------------------------------------
// PaintTo

// A windowed control with extra window styles.
class TEdgedPanel : public TCustomControl {
public:
  explicit TEdgedPanel(TComponent* owner) : TCustomControl(owner) {}
  VCL_CLASS_NAME(TEdgedPanel)
  DWORD style = 0, exStyle = 0;

protected:
  void CreateParams(TCreateParams& params) override {
    TCustomControl::CreateParams(params);
    params.Style |= style;
    params.ExStyle |= exStyle;
  }
};

// A non-windowed control that fills itself with its colour, and a margin beyond itself
// that its parent must clip away.
class TFilledBox : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;
  VCL_CLASS_NAME(TFilledBox)

protected:
  void Paint(HDC dc) override {
    const RECT beyond{-5, -5, Width() + 5, Height() + 5};
    ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(Color())));
    FillRect(dc, &beyond, brush);
  }
};

struct BorderCase {
  const char* name;
  DWORD style;
  DWORD exStyle;
  int border;  // where the client area begins
};

const BorderCase kBorders[] = {
    {"no border", 0, 0, 0},
    {"WS_BORDER", WS_BORDER, 0, 1},
    {"WS_EX_CLIENTEDGE", 0, WS_EX_CLIENTEDGE, 2},
};

TEST(PaintTo, PaintsBorderBackgroundAndChildrenAtTheirPlaces) {
  constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255),
                     kLime = RGB(0, 255, 0);
  constexpr int kX = 5, kY = 3, kWidth = 100, kHeight = 60;
  for (const BorderCase& c : kBorders) {
    SCOPED_TRACE(c.name);
    Freeing<TForm> form = PlainForm(0, 0, 300, 200);
    auto* panel = new TEdgedPanel(form.get());
    panel->style = c.style;
    panel->exStyle = c.exStyle;
    panel->SetParent(form.get());
    panel->SetBounds(7, 9, kWidth, kHeight);
    panel->SetColor(clRed);
    AddControl<TFilledBox>(*form, *panel, {10, 10, 30, 30})->SetColor(clBlue);
    auto* child = AddControl<TCustomControl>(*form, *panel, {40, 10, 60, 30});
    child->SetColor(clLime);
    child->HandleNeeded();
    RECT client;
    GetClientRect(panel->Handle(), &client);
    ASSERT_EQ(client, (RECT{0, 0, kWidth - 2 * c.border, kHeight - 2 * c.border}));

    MemoryCanvas canvas(200, 120);
    panel->PaintTo(canvas.Dc(), kX, kY);

    const int x0 = kX + c.border, y0 = kY + c.border;  // the client area's corner
    struct Expected {
      const char* where;
      int x, y;
      COLORREF colour;
    };
    const Expected expected[] = {
        {"client corner", x0, y0, kRed},
        {"client's last pixel", x0 + client.right - 1, y0 + client.bottom - 1, kRed},
        {"box", x0 + 10, y0 + 10, kBlue},
        {"box's last pixel", x0 + 29, y0 + 29, kBlue},
        {"before the box", x0 + 9, y0 + 15, kRed},
        {"past the box", x0 + 30, y0 + 30, kRed},
        {"windowed child", x0 + 40, y0 + 10, kLime},
        {"windowed child's last pixel", x0 + 59, y0 + 29, kLime},
        {"past the windowed child", x0 + 60, y0 + 15, kRed},
        {"left of the panel", kX - 1, kY + 10, kWhite},
        {"above the panel", kX + 10, kY - 1, kWhite},
        {"right of the panel", kX + kWidth, kY + 10, kWhite},
        {"below the panel", kX + 10, kY + kHeight, kWhite},
    };
    for (const Expected& e : expected) EXPECT_EQ(canvas.At(e.x, e.y), e.colour) << e.where;
    for (int inset = 0; inset < c.border; ++inset) {
      const COLORREF edge = canvas.At(kX + inset, kY + kHeight / 2);
      EXPECT_TRUE(edge != kWhite && edge != kRed) << "border column " << inset << ": " << std::hex << edge;
    }
  }
}

// ---------------------------------------------------------------------------------------
// The control of a window

TEST(FindControl, MapsOurWindowsToTheirControlsAndOtherWindowsToNone) {
  Freeing<TForm> form = PlainForm(0, 0, 200, 150);
  auto* child = AddControl<TCustomControl>(*form, *form, {10, 10, 50, 50});
  HWND staticWindow = CreateWindowExA(0, "STATIC", "", WS_CHILD, 60, 10, 20, 20, form->Handle(), nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(staticWindow, nullptr);
  HWND destroyed = nullptr;
  {
    Freeing<TCustomControl> gone(AddControl<TCustomControl>(*form, *form, {90, 10, 120, 40}));
    destroyed = gone->Handle();
  }

  const struct {
    const char* name;
    HWND window;
    TWinControl* control;
  } cases[] = {
      {"form", form->Handle(), form.get()},
      {"child", child->Handle(), child},
      {"STATIC window in our form", staticWindow, nullptr},
      {"desktop", GetDesktopWindow(), nullptr},
      {"no window", nullptr, nullptr},
      {"window of a freed control", destroyed, nullptr},
  };
  for (const auto& c : cases) EXPECT_EQ(TWinControl::FindControl(c.window), c.control) << c.name;
}

TEST(WindowLifetime, AControlWhoseWindowIsDestroyedElsewhereLetsItGoAndMakesANewOne) {
  Freeing<TForm> form = PlainForm(0, 0, 200, 150);
  auto* child = AddControl<TCustomControl>(*form, *form, {10, 10, 50, 50});
  HWND first = child->Handle();
  DestroyWindow(first);
  EXPECT_FALSE(child->HandleAllocated());
  EXPECT_EQ(TWinControl::FindControl(first), nullptr);

  HWND second = child->Handle();
  ASSERT_TRUE(IsWindow(second));
  EXPECT_EQ(TWinControl::FindControl(second), child);
  EXPECT_EQ(GetParent(second), form->Handle());

  // Destroying the form's window takes the child's with it.
  DestroyWindow(form->Handle());
  EXPECT_FALSE(form->HandleAllocated());
  EXPECT_FALSE(child->HandleAllocated());
  EXPECT_FALSE(IsWindow(second));

  form->Show();
  ASSERT_TRUE(child->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(child->Handle()));
  EXPECT_EQ(GetParent(child->Handle()), form->Handle());
  form.reset();
  EXPECT_FALSE(IsWindow(second));
}

// ---------------------------------------------------------------------------------------
// Reflected notifications

struct SeenMessage {
  HWND window;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const SeenMessage&) const = default;
};
std::vector<SeenMessage> seenNotifications;

LRESULT CALLBACK RecordNotifications(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && sent->message > CN_BASE && sent->message <= CN_BASE + 0x1FF)
    seenNotifications.push_back({sent->hwnd, sent->message, sent->wParam, sent->lParam});
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class ScopedCallWndProcHook {
public:
  explicit ScopedCallWndProcHook(HOOKPROC proc)
      : hook_(SetWindowsHookExA(WH_CALLWNDPROC, proc, nullptr, GetCurrentThreadId())) {}
  ~ScopedCallWndProcHook() { UnhookWindowsHookEx(hook_); }
  ScopedCallWndProcHook(const ScopedCallWndProcHook&) = delete;
  ScopedCallWndProcHook& operator=(const ScopedCallWndProcHook&) = delete;
  explicit operator bool() const { return hook_ != nullptr; }

private:
  HHOOK hook_;
};

// Answers every reflected notification with a value of its own.
class TAnsweringControl : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  VCL_CLASS_NAME(TAnsweringControl)
  static LRESULT AnswerTo(UINT msg) { return 0x5000 + msg; }
  void WndProc(TMessage& message) override {
    if (message.Msg > CN_BASE && message.Msg <= CN_BASE + 0x1FF) {
      message.Result = AnswerTo(message.Msg - CN_BASE);
      return;
    }
    TCustomControl::WndProc(message);
  }
};

TEST(ReflectedNotifications, ANotificationFromAChildControlReachesItsWindowAsCnBasePlusTheMessage) {
  Freeing<TForm> form = PlainForm(0, 0, 200, 150);
  auto* child = AddControl<TAnsweringControl>(*form, *form, {10, 10, 50, 50});
  HWND staticWindow = CreateWindowExA(0, "STATIC", "", WS_CHILD, 60, 10, 20, 20, form->Handle(), nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
  const MemoryCanvas canvas(4, 4);
  NMHDR fromChild{child->Handle(), 7, 0};
  NMHDR fromStatic{staticWindow, 8, 0};
  const auto dc = reinterpret_cast<WPARAM>(canvas.Dc());
  const auto childWindow = reinterpret_cast<LPARAM>(child->Handle());

  const struct {
    const char* name;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool reflected;
  } cases[] = {
      {"WM_COMMAND from the child", WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), childWindow, true},
      {"WM_CTLCOLORSTATIC for the child", WM_CTLCOLORSTATIC, dc, childWindow, true},
      {"WM_CTLCOLOREDIT for the child", WM_CTLCOLOREDIT, dc, childWindow, true},
      {"WM_NOTIFY from the child", WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&fromChild), true},
      {"WM_COMMAND from a STATIC window", WM_COMMAND, MAKEWPARAM(8, BN_CLICKED),
       reinterpret_cast<LPARAM>(staticWindow), false},
      {"WM_NOTIFY from a STATIC window", WM_NOTIFY, 8, reinterpret_cast<LPARAM>(&fromStatic), false},
      {"WM_COMMAND from a menu", WM_COMMAND, MAKEWPARAM(9, 0), 0, false},
  };
  const ScopedCallWndProcHook hook(&RecordNotifications);
  ASSERT_TRUE(hook);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    seenNotifications.clear();
    const LRESULT result = SendMessageA(form->Handle(), c.msg, c.wParam, c.lParam);
    if (c.reflected) {
      EXPECT_EQ(seenNotifications,
                (std::vector<SeenMessage>{{child->Handle(), CN_BASE + c.msg, c.wParam, c.lParam}}));
      EXPECT_EQ(result, TAnsweringControl::AnswerTo(c.msg));
    } else {
      EXPECT_EQ(seenNotifications, std::vector<SeenMessage>{});
    }
  }
}

// ---------------------------------------------------------------------------------------
// Real input

void SendMouseButton(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

void SendKey(WORD key, bool release) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

struct ClickLog {
  std::vector<TObject*> senders;
  void Clicked(TObject* sender) { senders.push_back(sender); }
};

// A shown form with a picture and a windowed child, each noting its clicks in one log.
class Clicks : public testing::Test {
protected:
  void SetUp() override {
    form_ = PlainForm(100, 80, 320, 200);
    form_->OnClick = TNotifyEvent::Bind<&ClickLog::Clicked>(&log_);
    image_ = AddControl<TImage>(*form_, *form_, {40, 40, 90, 90});
    TBitmap picture;
    picture.SetSize(50, 50);
    image_->Picture()->Assign(&picture);
    image_->OnClick = TNotifyEvent::Bind<&ClickLog::Clicked>(&log_);
    child_ = AddControl<TCustomControl>(*form_, *form_, {160, 40, 210, 90});
    child_->SetColor(clGray);
    child_->OnClick = TNotifyEvent::Bind<&ClickLog::Clicked>(&log_);
    form_->Show();
    PumpFor(200);
  }

  POINT OnScreen(POINT client) const {
    ClientToScreen(form_->Handle(), &client);
    return client;
  }

  void Press(POINT client) {
    const POINT at = OnScreen(client);
    SetCursorPos(at.x, at.y);
    SendMouseButton(MOUSEEVENTF_LEFTDOWN);
  }

  // The senders of the OnClick events that a click at `client` fired.
  std::vector<TObject*> ClickAt(POINT client) {
    log_.senders.clear();
    Press(client);
    SendMouseButton(MOUSEEVENTF_LEFTUP);
    PumpUntil([&] { return !log_.senders.empty(); });
    PumpFor(150);
    return log_.senders;
  }

  ClickLog log_;
  Freeing<TForm> form_;
  TImage* image_ = nullptr;
  TCustomControl* child_ = nullptr;
};

TEST_F(Clicks, AClickGoesToThePictureTheWindowedChildOrTheFormUnderTheCursor) {
  const struct {
    const char* name;
    POINT at;
    TObject* clicked;
  } cases[] = {
      {"the picture", {65, 65}, image_},
      {"the margin", {10, 10}, form_.get()},
      {"the windowed child", {185, 65}, child_},
      {"the margin between them", {125, 65}, form_.get()},
      {"the picture's last pixel", {89, 89}, image_},
      {"just past the picture", {90, 90}, form_.get()},
  };
  for (const auto& c : cases) EXPECT_EQ(ClickAt(c.at), std::vector<TObject*>{c.clicked}) << c.name;
}

TEST_F(Clicks, APressOnThePictureThatLostTheMouseDoesNotTakeTheNextClick) {
  Press({65, 65});
  PumpFor(100);
  HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
  SetCapture(other);  // as a dialog box that takes the mouse would
  SendMouseButton(MOUSEEVENTF_LEFTUP);
  PumpFor(100);
  ReleaseCapture();
  DestroyWindow(other);
  EXPECT_EQ(log_.senders, std::vector<TObject*>{});

  EXPECT_EQ(ClickAt({10, 10}), std::vector<TObject*>{form_.get()});
}

struct KeyRecord {
  std::string who;
  WORD key;
  TShiftState shift;
  bool operator==(const KeyRecord&) const = default;
};

void PrintTo(const KeyRecord& r, std::ostream* out) { *out << r.who << " " << r.key << " shift " << r.shift; }

// The key releases that the form and its child saw; the form's handler may change one key.
struct KeyLog {
  std::vector<KeyRecord> records;
  WORD rewrittenKey = 0;
  std::optional<WORD> rewriteTo;

  void FormKeyUp(TObject*, WORD& key, TShiftState shift) {
    Note("form", key, shift);
    if (rewriteTo && key == rewrittenKey) key = *rewriteTo;
  }
  void ChildKeyUp(TObject*, WORD& key, TShiftState shift) { Note("child", key, shift); }

private:
  void Note(const char* who, WORD key, TShiftState shift) {
    if (key != VK_SHIFT && key != VK_CONTROL) records.push_back({who, key, shift});
  }
};

struct KeyCase {
  const char* name;
  bool keyPreview;
  WORD modifier;  // held around the key; 0 for none
  WORD key;
  std::optional<WORD> formSetsKeyTo;
  std::vector<KeyRecord> expected;
};

TEST(KeyPreview, AKeyReleaseReachesTheFormBeforeTheFocusedChild) {
  const KeyCase cases[] = {
      {"Shift+Space", true, VK_SHIFT, VK_SPACE, std::nullopt,
       {{"form", VK_SPACE, ssShift}, {"child", VK_SPACE, ssShift}}},
      {"Ctrl+Enter", true, VK_CONTROL, VK_RETURN, std::nullopt,
       {{"form", VK_RETURN, ssCtrl}, {"child", VK_RETURN, ssCtrl}}},
      {"a key the form clears", true, 0, VK_ESCAPE, 0, {{"form", VK_ESCAPE, 0}}},
      {"a key the form changes", true, 0, VK_RETURN, 'X', {{"form", VK_RETURN, 0}, {"child", 'X', 0}}},
      {"without KeyPreview", false, VK_SHIFT, VK_SPACE, std::nullopt, {{"child", VK_SPACE, ssShift}}},
  };
  KeyLog log;
  Freeing<TForm> form = PlainForm(100, 80, 200, 150);
  form->OnKeyUp = TKeyEvent::Bind<&KeyLog::FormKeyUp>(&log);
  auto* child = AddControl<TCustomControl>(*form, *form, {20, 20, 80, 80});
  child->OnKeyUp = TKeyEvent::Bind<&KeyLog::ChildKeyUp>(&log);
  form->Show();
  child->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == child->Handle(); }));
  // Wine takes the modifier keys' state from the X server when its window gains the X
  // focus, which comes later: a Shift pressed before then would be forgotten.
  PumpFor(500);

  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    form->SetKeyPreview(c.keyPreview);
    log.records.clear();
    log.rewrittenKey = c.key;
    log.rewriteTo = c.formSetsKeyTo;
    if (c.modifier) SendKey(c.modifier, false);
    SendKey(c.key, false);
    PumpFor(150);
    EXPECT_EQ(log.records, std::vector<KeyRecord>{}) << "a press is no release";

    SendKey(c.key, true);
    if (c.modifier) SendKey(c.modifier, true);
    PumpUntil([&] { return log.records.size() >= c.expected.size(); });
    PumpFor(150);
    EXPECT_EQ(log.records, c.expected);
  }
}

}  // namespace
