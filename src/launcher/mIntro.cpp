#include "mIntro.h"

#include "vcl/ComponentStreams.h"

int32_t TickCount = 0;
TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* owner) : TForm(owner) { InitInheritedComponent(); }

const TPublishedNames* TForm1::Published() const {
  static const TPublishedNames names{
      {
          PublishedField<&TForm1::avi>("avi"),
          PublishedField<&TForm1::Image1>("Image1"),
          PublishedField<&TForm1::Timer1>("Timer1"),
      },
      {
          PublishedMethod<&TForm1::aviStop>("aviStop"),
          PublishedMethod<&TForm1::aviStart>("aviStart"),
          PublishedMethod<&TForm1::FormClick>("FormClick"),
          PublishedMethod<&TForm1::FormKeyUp>("FormKeyUp"),
          PublishedMethod<&TForm1::Timer1Timer>("Timer1Timer"),
      }};
  return &names;
}

void TForm1::aviStop(TObject*) { Running = false; }

void TForm1::aviStart(TObject*) { Running = true; }

void TForm1::FormClick(TObject*) { Running = false; }

void TForm1::FormKeyUp(TObject*, WORD& Key, TShiftState) {
  if (Key == VK_SPACE || Key == VK_RETURN) Running = false;
}

void TForm1::Timer1Timer(TObject*) {
  TickCount = TickCount + 1;
  if (TickCount > TickLimit) {
    Timer1->SetEnabled(false);
    Running = false;
    Close();
  }
}
