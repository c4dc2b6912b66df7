// The intro window: a borderless black window that carries the picture and the timer of
// a picture intro and the player of an AVI intro, and turns clicks, keys and the player's
// start and stop into one flag, Running.
#pragma once

#include "AviPlay.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"

class TForm1 : public TForm {
public:
  // Built from the stored description TFORM1; hidden until shown.
  explicit TForm1(TComponent* owner);
  VCL_CLASS_NAME(TForm1)
  const TPublishedNames* Published() const override;

  // Published: filled by the description.
  TVxAVIPlay* avi = nullptr;
  TImage* Image1 = nullptr;
  TTimer* Timer1 = nullptr;

  bool Running = false;
  int32_t TickLimit = 0;  // timer ticks a picture intro may last

  void aviStop(TObject* Sender);
  void aviStart(TObject* Sender);
  void FormClick(TObject* Sender);
  void FormKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
  void Timer1Timer(TObject* Sender);
};

// Ticks counted by Timer1Timer; never reset, since a run shows at most one intro.
extern int32_t TickCount;
// The intro window of this run, once the launcher has created it.
extern TForm1* Form1;
