// Forms: modal and modeless showing and closing, the client size of each border style,
// rescaling to the measured text height, the error box of the application object, and no
// growth over many forms.
#include "vcl/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "GdiLeakProbe.h"
#include "UiTestHelpers.h"
#include "support/ProcessMemory.h"
#include "support/Processes.h"
#include "support/TestPaths.h"
#include "vcl/ComponentStreams.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Graphics.h"

namespace {

// What a timer saw during a modal show before it closed the form.
struct ModalWatch {
  TForm* form;
  HWND other;
  int ticks = 0;
  bool formShown = false;
  bool otherEnabled = true;

  void Tick(TObject*) {
    if (++ticks == 1) {
      formShown = form->Visible() && IsWindowVisible(form->Handle());
      otherEnabled = IsWindowEnabled(other);
      form->Close();
    } else if (ticks == 100) {
      form->SetModalResult(99);  // Close did not end the show
    }
  }
};

TEST(ShowModal, EndsOnCloseWithMrCancelAndHidesTheForm) {
  Freeing<TForm> other(new TForm(nullptr));
  other->Show();
  Freeing<TForm> form(new TForm(nullptr));
  ModalWatch watch{form.get(), other->Handle()};
  auto* timer = new TTimer(form.get());
  timer->SetInterval(50);
  timer->OnTimer = TNotifyEvent::Bind<&ModalWatch::Tick>(&watch);

  EXPECT_EQ(form->ShowModal(), mrCancel);
  timer->SetEnabled(false);
  EXPECT_EQ(watch.ticks, 1);
  EXPECT_TRUE(watch.formShown);
  EXPECT_FALSE(watch.otherEnabled) << "the other window stays usable during the modal show";
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));
}

TEST(FormClose, HidesAFormShownWithoutWaitingAndEndsNothingElse) {
  Freeing<TForm> form(new TForm(nullptr));
  form->Show();
  ASSERT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);

  form->Close();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  Application->ProcessMessages();
  EXPECT_FALSE(Application->Terminated());

  form->Show();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST(FormClientSize, AClientSizeSetBeforeTheWindowExistsIsTheWindowsClientArea) {
  for (TBorderStyle style : {bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin}) {
    SCOPED_TRACE(BorderStyleNames.Names[style]);
    Freeing<TForm> form(new TForm(nullptr));
    form->SetBorderStyle(style);
    form->SetClientWidth(230);
    form->SetClientHeight(170);
    EXPECT_EQ(form->ClientWidth(), 230);
    EXPECT_EQ(form->ClientHeight(), 170);

    RECT client, window;
    GetClientRect(form->Handle(), &client);
    GetWindowRect(form->Handle(), &window);
    EXPECT_EQ(client, (RECT{0, 0, 230, 170}));
    EXPECT_EQ(window.right - window.left, form->Width());
    EXPECT_EQ(window.bottom - window.top, form->Height());
    EXPECT_EQ(form->ClientWidth(), 230);
  }
}

TEST(FormLoaded, ScalesStoredPlacesAndSizesToTheTextHeightTheFontMeasures) {
  RegisterComponentClass<TImage>();
  const int measured = TFont().MeasureTextHeight();
  ASSERT_GT(measured, 0);
  const struct {
    const char* name;
    int stored;
    int divisor;  // of the stored places and sizes
  } cases[] = {
      {"stored as measured", measured, 1},
      {"stored twice as high", 2 * measured, 2},
      {"not stored", 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Freeing<TForm> form(new TForm(nullptr));
    ReadComponent(*form, ParseFormText("object F: TForm\n"
                                       "  BorderStyle = bsNone\n"
                                       "  ClientHeight = 300\n"
                                       "  ClientWidth = 400\n"
                                       "  TextHeight = " + std::to_string(c.stored) + "\n"
                                       "  object I: TImage\n"
                                       "    Left = 40\n"
                                       "    Top = 60\n"
                                       "    Width = 100\n"
                                       "    Height = 80\n"
                                       "  end\n"
                                       "end\n"));
    EXPECT_EQ(form->ClientWidth(), 400 / c.divisor);
    EXPECT_EQ(form->ClientHeight(), 300 / c.divisor);
    const int d = c.divisor;
    EXPECT_EQ(form->Controls(0)->BoundsRect(), (RECT{40 / d, 60 / d, 140 / d, 140 / d}));
    EXPECT_EQ(form->TextHeight(), c.stored ? measured : 0);
  }
}

// The value of one "key=value" line of the dialog driver's report.
std::string ReportLine(const std::string& report, const std::string& key) {
  const std::string start = key + "=";
  for (size_t at = 0; at < report.size();) {
    size_t end = report.find('\n', at);
    if (end == std::string::npos) end = report.size();
    if (report.compare(at, start.size(), start) == 0) return report.substr(at + start.size(), end - at - start.size());
    at = end + 1;
  }
  return "(no " + key + ")";
}

TEST(ApplicationErrorBox, NamesTheErrorAndItsMessageAndTheProgramThenEndsWithStatus1) {
  StartedProcess program = StartedProcess::Start(ToolCommand("vcl_error_box.exe"));
  ProcessOptions options;
  options.captureStdout = true;
  const RunResult driver =
      RunProgram(ToolCommand("dialog_driver.exe", "--caption \"Application Error\" --press OK"), 60000, options);
  ASSERT_FALSE(driver.timedOut);
  EXPECT_EQ(driver.exitCode, 0u) << driver.output;
  EXPECT_EQ(ReportLine(driver.output, "icon"), "stop");
  EXPECT_EQ(ReportLine(driver.output, "buttons"), "OK");
  EXPECT_EQ(ReportLine(driver.output, "pressed"), "OK");
  const std::string text = ReportLine(driver.output, "text");
  EXPECT_NE(text.find("EConvertError"), std::string::npos) << text;
  EXPECT_NE(text.find("'12x' is not a valid integer value"), std::string::npos) << text;

  ASSERT_TRUE(program.Wait(30000));
  EXPECT_EQ(program.ExitCode(), 1u);
}

BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

int ThreadWindowCount() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// The hidden windows that timers receive their messages through.
int MessageWindowCount() {
  int count = 0;
  for (HWND window = nullptr; (window = FindWindowExA(HWND_MESSAGE, window, "TPUtilWindow", nullptr));) ++count;
  return count;
}

// A form with a picture and a running timer: created, shown, painted and freed. It is
// shown without being activated: Wine without a window manager spends two seconds taking
// an activated window off the screen.
void FormCycle(const TBitmap& picture, HDC target) {
  auto* form = new TForm(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 160, 120);
  form->SetColor(clBlack);
  auto* image = new TImage(form);
  image->SetParent(form);
  image->SetAutoSize(true);
  image->Picture()->Assign(&picture);
  new TTimer(form);
  ShowWindow(form->Handle(), SW_SHOWNA);
  UpdateWindow(form->Handle());
  form->PaintTo(target, 0, 0);
  Application->ProcessMessages();
  form->Free();
}

TEST(FormLifetime, AThousandFormsCreatedShownPaintedAndFreedLeaveNoGrowth) {
  TBitmap picture;
  picture.SetSize(64, 48);
  MemoryCanvas canvas(160, 120);
  for (int i = 0; i < 20; ++i) FormCycle(picture, canvas.Dc());  // what the first forms set up for good

  const GdiLeakProbe gdi;
  const int windows = ThreadWindowCount(), messageWindows = MessageWindowCount();
  const SIZE_T bytes = PrivateBytes();
  for (int i = 0; i < 1000; ++i) FormCycle(picture, canvas.Dc());

  EXPECT_LT(gdi.Growth(), 16);
  EXPECT_EQ(ThreadWindowCount(), windows);
  EXPECT_EQ(MessageWindowCount(), messageWindows);
  const int64_t grown = static_cast<int64_t>(PrivateBytes()) - static_cast<int64_t>(bytes);
  EXPECT_LT(grown, 64 * 1024) << grown << " bytes";
}

}  // namespace
