// The clock's end-of-range rule, tick by tick: the frames shown, where a pass wraps, and
// the tick on which the last pass ends.
#include "AviPlay/FrameCounter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The ticks as "<frame after the tick><outcome>", outcome a (advanced), w (wrapped) or
// s (last pass done), until the last pass ends or `ticks` have passed.
std::string TickTrace(TFrameCounter counter, int ticks, int32_t* repeatsLeftAfter = nullptr) {
  std::string trace;
  for (int i = 0; i < ticks; ++i) {
    const TTickOutcome outcome = Tick(counter);
    if (!trace.empty()) trace += ' ';
    trace += std::to_string(counter.Current);
    trace += outcome == TTickOutcome::Advanced ? 'a' : outcome == TTickOutcome::Wrapped ? 'w' : 's';
    if (outcome == TTickOutcome::LastPassDone) break;
  }
  if (repeatsLeftAfter) *repeatsLeftAfter = counter.RepeatsLeft;
  return trace;
}

struct CounterCase {
  const char* name;
  TFrameCounter start;  // Current, Start, Stop, RepeatsLeft as Play leaves them
  int ticks;
  const char* trace;
  int32_t repeatsLeftAfter;
};

const CounterCase kCases[] = {
    {"one pass of 0..9: the tenth tick stops, leaving 10", {0, 0, 9, 1}, 30,
     "1a 2a 3a 4a 5a 6a 7a 8a 9a 10s", 0},
    {"two passes: the tenth tick wraps to 0, the twentieth stops", {0, 0, 9, 2}, 30,
     "1a 2a 3a 4a 5a 6a 7a 8a 9a 0w 1a 2a 3a 4a 5a 6a 7a 8a 9a 10s", 0},
    {"count 0 loops", {0, 0, 2, 0}, 8, "1a 2a 0w 1a 2a 0w 1a 2a", 0},
    {"a negative count loops and stays negative", {0, 0, 2, -4}, 4, "1a 2a 0w 1a", -4},
    {"first at last: the first tick stops", {5, 5, 5, 1}, 5, "6s", 0},
    {"first at last, endless: frame 5 every tick", {5, 5, 5, 0}, 3, "5w 5w 5w", 0},
    {"first at last, two passes", {5, 5, 5, 2}, 5, "5w 6s", 0},
    {"first past last: the first tick stops", {7, 7, 3, 1}, 5, "8s", 0},
    {"a range started inside", {3, 1, 4, 1}, 5, "4a 5s", 0},
    {"a range from frame 2 wraps to 2", {2, 2, 4, 0}, 4, "3a 4a 2w 3a", 0},
};

TEST(FrameCounter, TicksOverARangeAndItsPasses) {
  for (const CounterCase& c : kCases) {
    int32_t repeatsLeft = 0;
    EXPECT_EQ(TickTrace(c.start, c.ticks, &repeatsLeft), c.trace) << c.name;
    EXPECT_EQ(repeatsLeft, c.repeatsLeftAfter) << c.name;
  }
}

// A range changed while playing is seen by the next tick.
TEST(FrameCounter, ARangeChangedBetweenTicksTakesEffectAtOnce) {
  TFrameCounter counter{4, 0, 9, 0};
  EXPECT_EQ(Tick(counter), TTickOutcome::Advanced);
  counter.Stop = 5;
  counter.Start = 3;
  EXPECT_EQ(Tick(counter), TTickOutcome::Wrapped);
  EXPECT_EQ(counter.Current, 3);
}

}  // namespace
