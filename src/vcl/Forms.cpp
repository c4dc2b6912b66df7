#include "Forms.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>
#include <vector>

#include "ComponentStreams.h"
#include "ScopedGdi.h"
#include "SysUtils.h"
#include "WindowExceptions.h"

namespace {

struct NamedCharset {
  int32_t value;
  const char* ident;
};

const NamedCharset kCharsets[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},         {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},     {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},       {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"}, {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},   {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},     {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},     {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},         {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

std::optional<std::string> CharsetToIdent(int32_t value) {
  for (const NamedCharset& c : kCharsets)
    if (c.value == value) return c.ident;
  return std::nullopt;
}

std::optional<int32_t> IdentToCharset(const std::string& ident) {
  for (const NamedCharset& c : kCharsets)
    if (ident == c.ident) return c.value;
  return std::nullopt;
}


// Disables the thread's other enabled top-level windows for the length of a modal show.
class DisabledThreadWindows {
public:
  explicit DisabledThreadWindows(HWND modal) : modal_(modal) {
    EnumThreadWindows(GetCurrentThreadId(), &DisabledThreadWindows::Disable, reinterpret_cast<LPARAM>(this));
  }
  ~DisabledThreadWindows() {
    for (HWND window : disabled_) EnableWindow(window, TRUE);
  }
  DisabledThreadWindows(const DisabledThreadWindows&) = delete;
  DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;

private:
  static BOOL CALLBACK Disable(HWND window, LPARAM self) {
    auto* windows = reinterpret_cast<DisabledThreadWindows*>(self);
    if (window != windows->modal_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      windows->disabled_.push_back(window);
    }
    return TRUE;
  }
  HWND modal_;
  std::vector<HWND> disabled_;
};

std::string ErrorClassName(const std::exception& error) {
  if (auto* own = dynamic_cast<const Exception*>(&error)) return own->ClassName();
  int status = 0;
  char* demangled = abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : typeid(error).name();
  std::free(demangled);
  return name;
}

TApplication applicationInstance;
TScreen screenInstance;

}  // namespace

TApplication* Application = &applicationInstance;
TScreen* Screen = &screenInstance;

const TEnumInfo FontStyleNames{{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const TIdentMap CharsetIdents{&CharsetToIdent, &IdentToCharset};
const TEnumInfo BorderStyleNames{{"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
const TEnumInfo BorderIconNames{{"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}};
const TEnumInfo PositionNames{{"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                               "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}};

// ---------------------------------------------------------------------------------------
// TFont

const TPropertyTable& TFont::Properties() const {
  static const TPropertyTable table(
      &TPersistent::Properties(),
      {
          IntProperty("Charset", &TFont::Charset, &TFont::SetCharset, std::nullopt, &CharsetIdents),
          IntProperty("Color", &TFont::Color, &TFont::SetColor, std::nullopt, &ColorIdents),
          IntProperty("Height", &TFont::Height, &TFont::SetHeight, std::nullopt),
          StringProperty("Name", &TFont::Name, &TFont::SetName, true),
          SetProperty("Style", FontStyleNames, &TFont::Style, &TFont::SetStyle, std::nullopt),
      });
  return table;
}

int32_t TFont::MeasureTextHeight() const {
  ScopedWindowDC screen(nullptr);
  ScopedGdiObject<HFONT> font(CreateFontA(height_, 0, 0, 0, (style_ & 1u << fsBold) ? FW_BOLD : FW_NORMAL,
                                          (style_ & 1u << fsItalic) != 0, (style_ & 1u << fsUnderline) != 0,
                                          (style_ & 1u << fsStrikeOut) != 0, static_cast<BYTE>(charset_),
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                          DEFAULT_PITCH, name_.c_str()));
  ScopedSelect selected(screen, font);
  SIZE size{};
  GetTextExtentPoint32A(screen, "0", 1, &size);
  return size.cy;
}

// ---------------------------------------------------------------------------------------
// TForm

TForm::TForm(TComponent* owner) : TWinControl(owner), font_(std::make_unique<TFont>()) {
  SetVisible(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
}

const TPropertyTable& TForm::Properties() const {
  static const TPropertyTable table(
      &TWinControl::Properties(),
      {
          NotStored(IntProperty("Width", &TForm::Width, &TForm::SetWidth, std::nullopt)),
          NotStored(IntProperty("Height", &TForm::Height, &TForm::SetHeight, std::nullopt)),
          SetProperty("BorderIcons", BorderIconNames, &TForm::BorderIcons, &TForm::SetBorderIcons,
                      1u << biSystemMenu | 1u << biMinimize | 1u << biMaximize),
          EnumProperty("BorderStyle", BorderStyleNames, &TForm::BorderStyle, &TForm::SetBorderStyle, bsSizeable),
          StringProperty("Caption", &TForm::Caption, &TForm::SetCaption, true),
          IntProperty("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight, std::nullopt),
          IntProperty("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth, std::nullopt),
          IntProperty("Color", &TForm::Color, &TForm::SetColor, clBtnFace, &ColorIdents),
          ObjectProperty("Font", &TForm::Font),
          BoolProperty("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview, false),
          BoolProperty("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder, std::nullopt),
          EnumProperty("Position", PositionNames, &TForm::Position, &TForm::SetPosition, poDesigned),
          BoolProperty("Visible", &TForm::Visible, &TForm::SetVisible, false),
          EventProperty("OnClick", &TForm::OnClick),
          EventProperty("OnKeyUp", &TForm::OnKeyUp),
          IntProperty("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch, std::nullopt),
          IntProperty("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight, std::nullopt),
      });
  return table;
}

void TForm::InitInheritedComponent() {
  std::string name = ClassName();
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  ReadComponentResource(*this, name);
}

void TForm::SetCaption(const std::string& value) {
  caption_ = value;
  if (HandleAllocated()) SetWindowTextA(Handle(), value.c_str());
}

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Caption = caption_;
  params.Style = WS_CLIPCHILDREN;
  params.ExStyle = 0;
  switch (borderStyle_) {
    case bsNone: params.Style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
  }
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) params.ExStyle |= WS_EX_TOOLWINDOW;
  if (borderStyle_ != bsNone && borderStyle_ != bsDialog) {
    if (borderIcons_ & 1u << biSystemMenu) params.Style |= WS_SYSMENU;
    if (borderIcons_ & 1u << biMinimize) params.Style |= WS_MINIMIZEBOX;
    if (borderIcons_ & 1u << biMaximize) params.Style |= WS_MAXIMIZEBOX;
    if ((borderIcons_ & 1u << biHelp) && !(params.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
      params.ExStyle |= WS_EX_CONTEXTHELP;
  }
}

SIZE TForm::FrameSize() {
  TCreateParams params;
  CreateParams(params);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

int32_t TForm::ClientWidth() const {
  if (HandleAllocated()) return ClientRect().right;
  return Width() - const_cast<TForm*>(this)->FrameSize().cx;
}

int32_t TForm::ClientHeight() const {
  if (HandleAllocated()) return ClientRect().bottom;
  return Height() - const_cast<TForm*>(this)->FrameSize().cy;
}

void TForm::SetClientWidth(int32_t value) { SetWidth(value + FrameSize().cx); }
void TForm::SetClientHeight(int32_t value) { SetHeight(value + FrameSize().cy); }

void TForm::Loaded() {
  TWinControl::Loaded();
  ScaleToTextHeight();
}

// Stored positions and sizes were laid out for a font of TextHeight pixels; a display on
// which the font measures otherwise gets them scaled in proportion.
void TForm::ScaleToTextHeight() {
  if (textHeight_ <= 0) return;
  const int32_t measured = font_->MeasureTextHeight();
  if (measured <= 0 || measured == textHeight_) return;
  const auto scale = [&](int32_t v) { return MulDiv(v, measured, textHeight_); };
  const int32_t clientWidth = ClientWidth(), clientHeight = ClientHeight();
  SetClientWidth(scale(clientWidth));
  SetClientHeight(scale(clientHeight));
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(scale(c->Left()), scale(c->Top()), scale(c->Width()), scale(c->Height()));
  }
  textHeight_ = measured;
}

void TForm::Show() {
  if (position_ == poScreenCenter || position_ == poDesktopCenter)
    SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
  SetVisible(true);
  SetForegroundWindow(Handle());
  ::SetFocus(Handle());
}

void TForm::Hide() { SetVisible(false); }

// However the show ends, the form is hidden before the other windows are enabled again.
TModalResult TForm::ShowModal() {
  if (Visible()) throw EInvalidOperation("Cannot make a visible window modal");
  modalResult_ = mrNone;
  DisabledThreadWindows others(Handle());
  struct ModalShow {
    TForm& form;
    explicit ModalShow(TForm& f) : form(f) { form.modal_ = true; }
    ~ModalShow() {
      form.Hide();
      form.modal_ = false;
    }
  } modalShow(*this);
  Show();
  while (modalResult_ == mrNone) {
    Application->HandleMessage();
    if (Application->Terminated()) modalResult_ = mrCancel;
  }
  return modalResult_;
}

void TForm::Close() {
  if (modal_)
    modalResult_ = mrCancel;
  else
    Hide();
}

bool TForm::PreviewKeyUp(TMessage& message) {
  if (!keyPreview_) return false;
  WORD key = static_cast<WORD>(message.WParam);
  KeyUp(key, KeyDataToShiftState(message.LParam));
  message.WParam = key;
  return key == 0;
}

// ---------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication() : TComponent(nullptr) {
  SetWindowExceptionHandler([](const std::exception& error) { Application->ShowException(error); });
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
  } else {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) WaitMessage();
}

std::string TApplication::ExceptionText(const std::exception& error) const {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, sizeof path - 1);
  std::string module = path;
  const size_t slash = module.find_last_of("\\/:");
  if (slash != std::string::npos) module.erase(0, slash + 1);
  return "Exception " + ErrorClassName(error) + " in module " + module + ".\r\n" + error.what();
}

void TApplication::ShowException(const std::exception& error) {
  MessageBoxA(nullptr, ExceptionText(error).c_str(), "Application Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}
