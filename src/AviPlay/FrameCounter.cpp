#include "FrameCounter.h"

TTickOutcome Tick(TFrameCounter& c) {
  TTickOutcome outcome = TTickOutcome::Advanced;
  if (c.Current >= c.Stop) {
    if (c.RepeatsLeft > 0 && --c.RepeatsLeft == 0) {
      outcome = TTickOutcome::LastPassDone;
    } else {
      c.Current = c.Start - 1;
      outcome = TTickOutcome::Wrapped;
    }
  }
  c.Current = c.Current + 1;
  return outcome;
}
