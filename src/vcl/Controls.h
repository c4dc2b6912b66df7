// Controls: TControl (position, size, visibility, colour, clicks), TWinControl (a real
// window with children, message dispatch, keyboard, painting into any DC), and the two
// bases for custom controls, TCustomControl (windowed) and TGraphicControl (painted by
// its parent).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"
#include "Colors.h"
#include "TypInfo.h"

// A window message as a control's handlers see it; handlers set Result.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// Notifications that a parent hands back to the child control they concern, numbered
// CN_BASE plus the original message's number.
constexpr UINT CN_BASE = 0xBC00;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
extern const TEnumInfo AlignNames;
// Colours that a form description stores by name (clBlack).
extern const TIdentMap ColorIdents;

using TKeyEvent = TEvent<TObject* /*Sender*/, WORD& /*Key*/, TShiftState>;

class TWinControl;

class TControl : public TComponent {
public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  VCL_CLASS_NAME(TControl)
  const TPropertyTable& Properties() const override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetLeft(int32_t value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int32_t value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int32_t value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int32_t value) { SetBounds(left_, top_, width_, value); }
  // Changes position and size together; nothing happens when all four are unchanged.
  virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  // The control's rectangle in its parent's client coordinates.
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  virtual RECT ClientRect() const { return RECT{0, 0, width_, height_}; }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool value);
  // Visible, and so are all its parents.
  bool Showing() const;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign value) { align_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);

  // Has the control repainted later.
  virtual void Invalidate();
  // Dispatches a message straight into the control's message handling and returns its result.
  LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void WndProc(TMessage& message);

  TNotifyEvent OnClick;

protected:
  virtual void Click();
  virtual void ColorChanged();
  virtual void VisibleChanged();
  // The bounds changed by SetBounds or by the window manager.
  virtual void BoundsChanged() {}
  void SetBoundsFields(int32_t left, int32_t top, int32_t width, int32_t height);
  // Where the parent (if any) shows this control's colour and hint settings.
  void TakeParentColor();

private:
  friend class TWinControl;

  TWinControl* parent_ = nullptr;
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  TAlign align_ = alNone;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  bool clicked_ = false;
};

// What CreateParams hands to CreateWindowEx.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;  // a child's parent window: filled in after CreateParams
  std::string WinClassName;
  UINT ClassStyle = 0;
};

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  VCL_CLASS_NAME(TWinControl)

  // The window; the first reading creates it (and its parent's, if need be).
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // Whether Handle() can make a window: the control, or a parent on its way up, has one
  // or is a top-level window.
  bool CanHaveHandle() const;
  void DestroyHandle();

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(index); }
  // The visible non-windowed child under a point of the client area, topmost first.
  TControl* ControlAtPos(POINT point) const;

  RECT ClientRect() const override;
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void Invalidate() override;
  void SetFocus();

  // Paints the control, its non-windowed children and every visible windowed child into
  // `dc` with the control's top-left corner at (x, y): border, background, own painting.
  void PaintTo(HDC dc, int x, int y);

  void WndProc(TMessage& message) override;
  void Loaded() override;

  TKeyEvent OnKeyUp;

  // The control whose window `window` is, or nullptr for a window that is no control's.
  static TWinControl* FindControl(HWND window);

protected:
  // A window of its own, without a parent (a form).
  virtual bool IsTopLevel() const { return false; }
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  // Calls the window's default procedure (none without a window).
  void DefaultHandler(TMessage& message);
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc);
  virtual void KeyUp(WORD& key, TShiftState shift);
  // A key release seen before the focused child, which then gets the key as left in
  // message.WParam; true when it was consumed (the key set to 0).
  virtual bool PreviewKeyUp(TMessage& message) { return false; }
  void ColorChanged() override;
  void VisibleChanged() override;
  // Adopts the window's own idea of position and size.
  void UpdateBoundsFromWindow();

private:
  friend class TControl;
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void AttachWindow(HWND window);
  void DetachWindow();
  void PaintHandler(TMessage& message);
  void EraseBackground(HDC dc);
  bool DoKeyUp(TMessage& message);
  bool ForwardMouseToChild(TMessage& message);
  bool ReflectNotification(TMessage& message);
  void UpdateShowing();

  HWND handle_ = nullptr;
  std::vector<TControl*> controls_;
  TControl* mouseCapture_ = nullptr;
};

// A windowed control that paints itself.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* owner) : TWinControl(owner) {}
  VCL_CLASS_NAME(TCustomControl)

protected:
  void PaintWindow(HDC dc) override { Paint(dc); }
  virtual void Paint(HDC dc) {}
};

// A control without a window: its parent paints it by sending it WM_PAINT with a DC whose
// origin is the control's top-left corner.
class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
  VCL_CLASS_NAME(TGraphicControl)
  void WndProc(TMessage& message) override;

protected:
  virtual void Paint(HDC dc) {}
};

TShiftState KeyDataToShiftState(LPARAM keyData);
