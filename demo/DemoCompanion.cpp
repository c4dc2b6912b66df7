// Stands in for the application that the launcher starts in the demo: a window that says
// the application has started and closes itself after a few seconds.
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/ScopedGdi.h"

namespace {

constexpr int kShownMilliseconds = 4000;

class TDemoWindow : public TForm {
public:
  explicit TDemoWindow(TComponent* owner) : TForm(owner), closer_(new TTimer(this)) {
    SetCaption("Demo application");
    SetBorderStyle(bsSingle);
    SetColor(0x00F5E6C8);  // a pale blue, so that the window shows on a white screen
    SetClientWidth(420);
    SetClientHeight(120);
    SetPosition(poScreenCenter);
    closer_->SetInterval(kShownMilliseconds);
    closer_->OnTimer = TNotifyEvent::Bind<&TDemoWindow::CloseNow>(this);
  }
  VCL_CLASS_NAME(TDemoWindow)

protected:
  void PaintWindow(HDC dc) override {
    RECT client = ClientRect();
    ScopedGdiObject<HFONT> font(CreateFontA(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                            DEFAULT_PITCH, "Arial"));
    ScopedSelect selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, "The application has started.", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }

private:
  void CloseNow(TObject*) { Close(); }
  TTimer* closer_;
};

}  // namespace

int main() {
  try {
    auto* window = new TDemoWindow(Application);
    window->ShowModal();
    window->Free();
  } catch (const std::exception& error) {
    Application->ShowException(error);
    return 1;
  }
  return 0;
}
