// Forms: top-level windows built from their stored descriptions, shown without waiting
// or modally; the font they store; the application object and the screen.
#pragma once

#include <memory>
#include <string>

#include "Controls.h"

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = unsigned;  // bits 1 << TFontStyle
extern const TEnumInfo FontStyleNames;
extern const TIdentMap CharsetIdents;

// A font as a form stores it. The forms here show no text; the font only measures the
// text height against which stored positions and sizes are scaled.
class TFont : public TPersistent {
public:
  VCL_CLASS_NAME(TFont)
  const TPropertyTable& Properties() const override;

  int32_t Charset() const { return charset_; }
  void SetCharset(int32_t value) { charset_ = value; }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  int32_t Height() const { return height_; }
  void SetHeight(int32_t value) { height_ = value; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  unsigned Style() const { return style_; }
  void SetStyle(unsigned value) { style_ = value; }

  // The height of the text "0" in this font on the screen, in pixels.
  int32_t MeasureTextHeight() const;

private:
  int32_t charset_ = DEFAULT_CHARSET;
  TColor color_ = clWindowText;
  int32_t height_ = -11;
  std::string name_ = "MS Sans Serif";
  unsigned style_ = 0;
};

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = unsigned;  // bits 1 << TBorderIcon
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly,
  poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter
};
extern const TEnumInfo BorderStyleNames;
extern const TEnumInfo BorderIconNames;
extern const TEnumInfo PositionNames;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;

class TForm : public TWinControl {
public:
  explicit TForm(TComponent* owner);
  VCL_CLASS_NAME(TForm)
  const TPropertyTable& Properties() const override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value) { borderStyle_ = value; }
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons value) { borderIcons_ = value; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }
  bool OldCreateOrder() const { return oldCreateOrder_; }
  void SetOldCreateOrder(bool value) { oldCreateOrder_ = value; }
  int32_t PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int32_t value) { pixelsPerInch_ = value; }
  int32_t TextHeight() const { return textHeight_; }
  void SetTextHeight(int32_t value) { textHeight_ = value; }
  TFont* Font() const { return font_.get(); }

  int32_t ClientWidth() const;
  int32_t ClientHeight() const;
  void SetClientWidth(int32_t value);
  void SetClientHeight(int32_t value);

  // Shows the window without waiting and gives it the keyboard.
  void Show();
  void Hide();
  // Shows the window and handles messages until ModalResult is set; then hides it.
  TModalResult ShowModal();
  // Ends a modal show with mrCancel; hides a window shown without waiting.
  void Close();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value) { modalResult_ = value; }

  void Loaded() override;

protected:
  // Reads the stored description of the form's class: the resource named after the class
  // in capitals. Derived forms call it from their constructor.
  void InitInheritedComponent();
  bool IsTopLevel() const override { return true; }
  void CreateParams(TCreateParams& params) override;
  bool PreviewKeyUp(TMessage& message) override;

private:
  // Non-client size of the window that the creation parameters give.
  SIZE FrameSize();
  void ScaleToTextHeight();

  std::string caption_;
  TBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = 1u << biSystemMenu | 1u << biMinimize | 1u << biMaximize;
  TPosition position_ = poDesigned;
  bool keyPreview_ = false;
  bool oldCreateOrder_ = false;
  int32_t pixelsPerInch_ = 96;
  int32_t textHeight_ = 0;
  std::unique_ptr<TFont> font_;
  bool modal_ = false;
  TModalResult modalResult_ = mrNone;
};

// The application object: owner of the forms, message processing, and the report of an
// error that nothing caught.
class TApplication : public TComponent {
public:
  TApplication();
  VCL_CLASS_NAME(TApplication)

  // Handles every message waiting for the thread and returns as soon as none is left.
  void ProcessMessages();
  // Handles one message, waiting for one when none is there.
  void HandleMessage();
  bool Terminated() const { return terminated_; }
  void Terminate() { terminated_ = true; }

  // The error box: task-modal, titled "Application Error", naming the error's class and
  // carrying its message.
  void ShowException(const std::exception& error);
  std::string ExceptionText(const std::exception& error) const;

private:
  bool ProcessMessage();
  bool terminated_ = false;
};

// The primary display.
class TScreen {
public:
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
};

extern TApplication* Application;
extern TScreen* Screen;
