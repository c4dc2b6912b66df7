#include "Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "ScopedGdi.h"
#include "SysUtils.h"
#include "WindowExceptions.h"

const TEnumInfo AlignNames{{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
const TIdentMap ColorIdents{&ColorToIdent, &IdentToColor};

// ---------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* owner) : TComponent(owner) { parentColor_ = true; }

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

const TPropertyTable& TControl::Properties() const {
  static const TPropertyTable table(&TComponent::Properties(),
                                    {
                                        IntProperty("Left", &TControl::Left, &TControl::SetLeft, std::nullopt),
                                        IntProperty("Top", &TControl::Top, &TControl::SetTop, std::nullopt),
                                        IntProperty("Width", &TControl::Width, &TControl::SetWidth, std::nullopt),
                                        IntProperty("Height", &TControl::Height, &TControl::SetHeight, std::nullopt),
                                    });
  return table;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
  TakeParentColor();
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  if (Showing()) Invalidate();
  SetBoundsFields(left, top, width, height);
  if (Showing()) Invalidate();
  BoundsChanged();
}

void TControl::SetBoundsFields(int32_t left, int32_t top, int32_t width, int32_t height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  if (!value && Showing()) Invalidate();
  visible_ = value;
  VisibleChanged();
}

void TControl::VisibleChanged() {
  if (Showing()) Invalidate();
}

bool TControl::Showing() const { return visible_ && (!parent_ || parent_->Showing()); }

void TControl::SetColor(TColor value) {
  parentColor_ = false;
  if (value == color_) return;
  color_ = value;
  ColorChanged();
}

void TControl::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  TakeParentColor();
}

void TControl::TakeParentColor() {
  if (!parentColor_ || !parent_ || parent_->Color() == color_) return;
  color_ = parent_->Color();
  ColorChanged();
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::SetShowHint(bool value) {
  parentShowHint_ = false;
  showHint_ = value;
}

void TControl::SetParentShowHint(bool value) {
  parentShowHint_ = value;
  if (value && parent_) showHint_ = parent_->ShowHint();
}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated()) return;
  const RECT bounds = BoundsRect();
  InvalidateRect(parent_->Handle(), &bounds, TRUE);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WndProc(message);
  return message.Result;
}

// A click is a left button press and its release over the same control.
void TControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      clicked_ = true;
      break;
    case WM_LBUTTONUP:
      if (clicked_) {
        clicked_ = false;
        const POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
        const RECT client = ClientRect();
        if (PtInRect(&client, point)) Click();
      }
      break;
  }
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

// ---------------------------------------------------------------------------------------
// TGraphicControl

void TGraphicControl::WndProc(TMessage& message) {
  if (message.Msg == WM_PAINT && message.WParam) {
    Paint(reinterpret_cast<HDC>(message.WParam));
    return;
  }
  TControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------
// TWinControl

namespace {

thread_local TWinControl* creatingControl = nullptr;

// The window property that links a window to its control; named per process. A plain
// array, so that it outlives the static objects that may still free forms at exit.
const char* ControlProperty() {
  static const auto name = [] {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "VclControl%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    return text;
  }();
  return name.data();
}

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL; }

// Moves the origin of a DC's logical coordinates to (dx, dy) of the current ones.
void MoveWindowOrg(HDC dc, int dx, int dy) {
  POINT origin;
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, origin.x - dx, origin.y - dy, nullptr);
}

}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  while (!controls_.empty()) controls_.back()->Free();
  DestroyHandle();
}

HWND TWinControl::Handle() {
  if (!handle_) {
    CreateWnd();
    UpdateShowing();
  }
  return handle_;
}

bool TWinControl::CanHaveHandle() const {
  for (const TWinControl* c = this; c; c = c->Parent())
    if (c->HandleAllocated() || c->IsTopLevel()) return true;
  return false;
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (Visible()) params.Style |= WS_VISIBLE;
  params.X = Left();
  params.Y = Top();
  params.Width = Width();
  params.Height = Height();
  params.WinClassName = ClassName();
  params.ClassStyle = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (params.Style & WS_CHILD) {
    if (!Parent()) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    params.WndParent = Parent()->Handle();
  }

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(instance, params.WinClassName.c_str(), &windowClass)) {
    windowClass.style = params.ClassStyle;
    windowClass.lpfnWndProc = &TWinControl::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = params.WinClassName.c_str();
    RegisterClassA(&windowClass);
  }

  creatingControl = this;
  HWND window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                                params.X, params.Y, params.Width, params.Height, params.WndParent, nullptr,
                                instance, nullptr);
  creatingControl = nullptr;
  if (!window) throw EInvalidOperation("Error creating window of '" + Name() + "' (" + params.WinClassName + ")");
  if (!handle_) AttachWindow(window);
}

void TWinControl::AttachWindow(HWND window) {
  handle_ = window;
  SetPropA(window, ControlProperty(), this);
}

void TWinControl::DetachWindow() {
  RemovePropA(handle_, ControlProperty());
  handle_ = nullptr;
}

void TWinControl::DestroyHandle() {
  if (handle_) DestroyWindow(handle_);  // WM_NCDESTROY detaches the window and its children
}

TWinControl* TWinControl::FindControl(HWND window) {
  if (!window) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(window, ControlProperty()));
}

LRESULT CALLBACK TWinControl::WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = static_cast<TWinControl*>(GetPropA(window, ControlProperty()));
  if (!control && creatingControl) {
    control = creatingControl;
    creatingControl = nullptr;
    control->AttachWindow(window);
  }
  if (!control) return DefWindowProcA(window, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  try {
    control->WndProc(message);
  } catch (const std::exception& error) {
    HandleWindowException(error);
  }
  return message.Result;
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (handle_) message.Result = DefWindowProcA(handle_, message.Msg, message.WParam, message.LParam);
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      PaintHandler(message);
      return;
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(message.WParam));
      message.Result = 1;
      return;
    case WM_WINDOWPOSCHANGED:
    case WM_SIZE:
    case WM_MOVE:
      UpdateBoundsFromWindow();
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(message)) return;
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      if (ReflectNotification(message)) return;
      break;
    case WM_CAPTURECHANGED:
      // A press that lost the mouse to another window ends there.
      if (reinterpret_cast<HWND>(message.LParam) != handle_) mouseCapture_ = nullptr;
      break;
    case WM_NCDESTROY:
      DefaultHandler(message);
      DetachWindow();
      return;
  }
  if (IsMouseMessage(message.Msg)) {
    if (ForwardMouseToChild(message)) return;
    if (message.Msg == WM_LBUTTONDOWN) SetCapture(handle_);
    if (message.Msg == WM_LBUTTONUP) ReleaseCapture();
    TControl::WndProc(message);
  }
  if (message.Msg > CN_BASE && message.Msg <= CN_BASE + 0x1FF) {
    // A notification handed back by the parent that no handler took: the default answer.
    if (handle_) message.Result = DefWindowProcA(handle_, message.Msg - CN_BASE, message.WParam, message.LParam);
    return;
  }
  DefaultHandler(message);
}

bool TWinControl::ReflectNotification(TMessage& message) {
  HWND source = nullptr;
  if (message.Msg == WM_NOTIFY)
    source = message.LParam ? reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom : nullptr;
  else
    source = reinterpret_cast<HWND>(message.LParam);
  TWinControl* child = FindControl(source);
  if (!child || child == this) return false;
  message.Result = SendMessageA(source, CN_BASE + message.Msg, message.WParam, message.LParam);
  return true;
}

// Mouse messages over a non-windowed child go to that child, in its own coordinates; after
// a press the child keeps them until the button is released.
bool TWinControl::ForwardMouseToChild(TMessage& message) {
  const POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  TControl* child = mouseCapture_ ? mouseCapture_ : ControlAtPos(point);
  if (!child) return false;
  if (message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) {
    SetCapture(handle_);
    mouseCapture_ = child;
  }
  const LPARAM childPoint = MAKELPARAM(point.x - child->Left(), point.y - child->Top());
  message.Result = child->Perform(message.Msg, message.WParam, childPoint);
  if (message.Msg == WM_LBUTTONUP) {
    mouseCapture_ = nullptr;
    ReleaseCapture();
  }
  return true;
}

TControl* TWinControl::ControlAtPos(POINT point) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* control = *it;
    if (dynamic_cast<TWinControl*>(control) || !control->Visible()) continue;
    const RECT bounds = control->BoundsRect();
    if (PtInRect(&bounds, point)) return control;
  }
  return nullptr;
}

bool TWinControl::DoKeyUp(TMessage& message) {
  TWinControl* top = this;
  while (top->Parent()) top = top->Parent();
  if (top != this && top->PreviewKeyUp(message)) return true;
  WORD key = static_cast<WORD>(message.WParam);
  KeyUp(key, KeyDataToShiftState(message.LParam));
  message.WParam = key;
  return key == 0;
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (keyData & (1 << 29)) shift |= ssAlt;
  return shift;
}

void TWinControl::PaintHandler(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  if (dc) {
    PaintWindow(dc);
    PaintControls(dc);
    return;
  }
  PAINTSTRUCT paint;
  dc = BeginPaint(handle_, &paint);
  PaintWindow(dc);
  PaintControls(dc);
  EndPaint(handle_, &paint);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* control : controls_) {
    if (dynamic_cast<TWinControl*>(control) || !control->Visible()) continue;
    const int saved = SaveDC(dc);
    MoveWindowOrg(dc, control->Left(), control->Top());
    IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
    control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

void TWinControl::EraseBackground(HDC dc) {
  const RECT client = ClientRect();
  ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(Color())));
  FillRect(dc, &client, brush);
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  TCreateParams params;
  if (!handle_) CreateParams(params);
  const LONG style = handle_ ? GetWindowLongA(handle_, GWL_STYLE) : static_cast<LONG>(params.Style);
  const LONG exStyle = handle_ ? GetWindowLongA(handle_, GWL_EXSTYLE) : static_cast<LONG>(params.ExStyle);

  const int saved = SaveDC(dc);
  MoveWindowOrg(dc, x, y);
  IntersectClipRect(dc, 0, 0, Width(), Height());
  UINT edge = 0, flags = 0;
  if (exStyle & WS_EX_CLIENTEDGE) {
    edge = EDGE_SUNKEN;
    flags = BF_RECT | BF_ADJUST;
  } else if (style & WS_BORDER) {
    edge = BDR_OUTER;
    flags = BF_RECT | BF_ADJUST | BF_MONO;
  }
  if (flags) {
    RECT inner{0, 0, Width(), Height()};
    DrawEdge(dc, &inner, edge, flags);
    MoveWindowOrg(dc, inner.left, inner.top);
    IntersectClipRect(dc, 0, 0, inner.right - inner.left, inner.bottom - inner.top);
  }
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  for (TControl* control : controls_) {
    auto* child = dynamic_cast<TWinControl*>(control);
    if (child && child->Visible()) child->PaintTo(dc, child->Left(), child->Top());
  }
  RestoreDC(dc, saved);
}

RECT TWinControl::ClientRect() const {
  RECT client{0, 0, Width(), Height()};
  if (handle_) GetClientRect(handle_, &client);
  return client;
}

void TWinControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (left == Left() && top == Top() && width == Width() && height == Height()) return;
  SetBoundsFields(left, top, width, height);
  if (handle_) SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  BoundsChanged();
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!handle_) return;
  RECT window;
  GetWindowRect(handle_, &window);
  if (Parent() && Parent()->HandleAllocated())
    MapWindowPoints(HWND_DESKTOP, Parent()->handle_, reinterpret_cast<POINT*>(&window), 2);
  const int32_t width = window.right - window.left, height = window.bottom - window.top;
  if (window.left == Left() && window.top == Top() && width == Width() && height == Height()) return;
  SetBoundsFields(window.left, window.top, width, height);
  BoundsChanged();
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

void TWinControl::ColorChanged() {
  TControl::ColorChanged();
  for (TControl* control : controls_) control->TakeParentColor();
}

void TWinControl::VisibleChanged() { UpdateShowing(); }

void TWinControl::Loaded() {
  TControl::Loaded();
  UpdateShowing();
}

// A child window exists once it is showing; its window's visibility follows its own flag.
// While a form description is read nothing is shown yet: Loaded catches up.
void TWinControl::UpdateShowing() {
  if (HasState(csLoading)) return;
  if (!handle_) {
    if (!Showing() || (Parent() && !Parent()->HandleAllocated())) return;
    CreateWnd();
  }
  const bool shown = (GetWindowLongA(handle_, GWL_STYLE) & WS_VISIBLE) != 0;
  if (Visible() != shown) ShowWindow(handle_, Visible() ? (Parent() ? SW_SHOWNA : SW_SHOW) : SW_HIDE);
  for (TControl* control : controls_)
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->UpdateShowing();
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  if (auto* child = dynamic_cast<TWinControl*>(control)) {
    child->UpdateShowing();
  } else {
    control->Invalidate();
  }
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  if (control == mouseCapture_) mouseCapture_ = nullptr;
  control->Invalidate();
  controls_.erase(it);
  control->parent_ = nullptr;
  if (auto* child = dynamic_cast<TWinControl*>(control)) child->DestroyHandle();
}
