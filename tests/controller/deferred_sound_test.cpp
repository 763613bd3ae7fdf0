// Sound held back until the window has painted: nothing starts early, nothing is lost, and the
// order is the drill's.
#include "deferred_sound.h"

#include <gtest/gtest.h>

#include <vector>

#include "recording_fakes.h"

namespace {

using ddtest::Call;

std::vector<Call> logged(const ddtest::CallLog& log) {
  return std::vector<Call>(log.calls, log.calls + log.count);
}

TEST(DeferredSound, HoldsEveryOperationUntilFlushedThenRunsThemInOrder) {
  ddtest::CallLog log;
  ddtest::RecordingSound target(log);
  dd::DeferredSound sound(target);
  sound.close();
  sound.play();
  sound.togglePause();
  sound.playHit();
  sound.playMiss();
  EXPECT_EQ(log.count, 0);
  EXPECT_EQ(sound.heldCount(), 5);
  sound.flush();
  const std::vector<Call> expected = {Call::Close, Call::Play, Call::TogglePause, Call::PlayHit,
                                      Call::PlayMiss};
  EXPECT_EQ(logged(log), expected);
  EXPECT_EQ(sound.heldCount(), 0);
  sound.flush();  // nothing held: nothing runs again
  EXPECT_EQ(logged(log), expected);
}

// More than it can hold (a drill never asks for that many in one event): the oldest run first,
// so none is lost and the order is kept.
TEST(DeferredSound, OverflowRunsTheHeldOnesFirstAndLosesNothing) {
  ddtest::CallLog log;
  ddtest::RecordingSound target(log);
  dd::DeferredSound sound(target);
  std::vector<Call> expected;
  for (int i = 0; i < 20; ++i) {
    if (i % 3 == 0) {
      sound.playMiss();
      expected.push_back(Call::PlayMiss);
    } else {
      sound.playHit();
      expected.push_back(Call::PlayHit);
    }
  }
  EXPECT_GT(log.count, 0);
  EXPECT_LT(log.count, 20);
  sound.flush();
  EXPECT_EQ(logged(log), expected);
}

TEST(DeferredSound, WhatIsStillHeldRunsWhenItGoes) {
  ddtest::CallLog log;
  ddtest::RecordingSound target(log);
  {
    dd::DeferredSound sound(target);
    sound.playHit();
    sound.close();
  }
  EXPECT_EQ(logged(log), (std::vector<Call>{Call::PlayHit, Call::Close}));
}

}  // namespace
