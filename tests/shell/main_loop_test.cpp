// The main loop against the scripted platform: which frames are drawn and swapped in
// each phase, the key table, the end on Escape or quit, and the exit code.
#include <gtest/gtest.h>

#include "shell/frame_pacer.h"
#include "shell/gl_window.h"
#include "shell/main_loop.h"
#include "show/gallery.h"
#include "show/intro.h"
#include "tests/shell/shell_fixture.h"

namespace {

class MainLoopTest : public ShellTest {
 protected:
  // The module's order as the intro will read it.
  void PlayOrder(uint32_t order) {
    fake::state.position = [order] { return order; };
  }
  // Presses Escape from inside the loop once `swaps` frames have been shown.
  void EscapeAfterSwaps(int swaps) {
    fake::state.onSwap = [swaps] {
      if (fake::state.swaps == swaps) keys[kVkEscape] = 1;
    };
  }
  int Run() { return WinMain(nullptr, nullptr, nullptr, 0); }
};

TEST_F(MainLoopTest, EscapeInTheIntroStillDrawsAndSwapsThatFrameAndExitsWithZero) {
  PlayOrder(4);  // the sphere scene: sphereSpin moves 0.5 per intro frame
  const float spinBefore = sphereSpin;
  fake::Post(kWmKeyDown, kVkEscape);

  // The last message taken was Escape's key-down (wParam 27); the end is still code 0.
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::state.swaps, 1);
  EXPECT_FLOAT_EQ(sphereSpin, spinBefore + 0.5f);
  EXPECT_EQ(introPhase, 1);
  EXPECT_EQ(fake::CountCalls("DestroyWindow"), 1);
}

TEST_F(MainLoopTest, EscapeInTheGalleryEndsWithoutSwappingOrApplyingKeys) {
  introPhase = 0;
  const float starsBefore = starSpin;
  fake::Post(kWmKeyDown, kVkRight);
  fake::Post(kWmKeyDown, kVkEscape);

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::state.swaps, 0);
  EXPECT_FLOAT_EQ(starSpin, starsBefore + 0.05f);  // the frame was drawn, not shown
  EXPECT_EQ(viewYaw, 0.0f);                        // and the keys were not applied
}

TEST_F(MainLoopTest, TheHandOverPassDrawsAndSwapsAnIntroAndAGalleryFrame) {
  PlayOrder(6);
  const float starsBefore = starSpin;
  struct Seen {
    int introPhase;
    float starSpin;
  };
  std::vector<Seen> seen;
  fake::state.onSwap = [&seen] {
    seen.push_back({introPhase, starSpin});
    if (fake::state.swaps == 2) keys[kVkEscape] = 1;
  };

  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(seen.size(), 2u);
  // Swap 1 shows the intro frame that handed over; no gallery frame drawn yet.
  EXPECT_EQ(seen[0].introPhase, 0);
  EXPECT_EQ(seen[0].starSpin, starsBefore);
  // Swap 2, in the same pass, shows the first gallery frame.
  EXPECT_FLOAT_EQ(seen[1].starSpin, starsBefore + 0.05f);
  // The next pass drew one more gallery frame and ended on Escape before its swap.
  EXPECT_FLOAT_EQ(starSpin, starsBefore + 0.10f);
}

TEST_F(MainLoopTest, HeldKeysApplyOncePerGalleryPassInTableOrder) {
  introPhase = 0;
  viewYaw = 0.3f;
  viewZ = 0.25f;
  for (uint8_t key : {kVk1, kVk3, kVkLeft, kVkRight, kVkUp}) fake::Post(kWmKeyDown, key);
  EscapeAfterSwaps(2);

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::state.swaps, 2);
  EXPECT_EQ(gallerySet, 3);  // 1 and 3 held: the later test wins
  // Left then Right, both applied in each pass, in single precision.
  float yaw = 0.3f, z = 0.25f;
  for (int pass = 0; pass < 2; ++pass) {
    yaw -= 0.8f;
    yaw += 0.8f;
    z += 0.1f;
  }
  EXPECT_EQ(viewYaw, yaw);
  EXPECT_EQ(viewZ, z);
}

TEST_F(MainLoopTest, KeyUpStopsTheStepAndDownMovesBack) {
  introPhase = 0;
  fake::Post(kWmKeyDown, kVkDown);
  fake::Post(kWmKeyDown, kVk2);
  fake::state.onSwap = [] {
    if (fake::state.swaps == 1) fake::Post(kWmKeyUp, kVkDown);
    if (fake::state.swaps == 3) keys[kVkEscape] = 1;
  };

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::state.swaps, 3);
  EXPECT_EQ(viewZ, -0.1f);  // only the first pass saw Down held
  EXPECT_EQ(gallerySet, 2);
}

// A tap: the press and the release both arrive before the next frame pass, as when a
// quick key press meets a slow frame. Each tap counts as held for exactly one pass.
TEST_F(MainLoopTest, TappedKeysActInTheNextGalleryPassOnce) {
  introPhase = 0;
  const auto tap = [](uint8_t key) {
    fake::Post(kWmKeyDown, key);
    fake::Post(kWmKeyUp, key);
  };
  tap(kVk2);
  tap(kVkRight);
  std::vector<std::pair<int, float>> seen;  // gallerySet and viewYaw after each swap
  fake::state.onSwap = [&] {
    seen.push_back({gallerySet, viewYaw});
    if (fake::state.swaps == 2) {
      tap(kVk1);
      tap(kVk3);  // two taps in one interval: the later test wins, as when held
      tap(kVkUp);
    }
    if (fake::state.swaps == 4) tap(kVkEscape);
    if (fake::state.swaps == 30) keys[kVkEscape] = 1;  // a lost tap must not hang the test
  };

  EXPECT_EQ(Run(), 0);
  // The swap of a pass comes before its keys: what a swap shows is the previous pass's.
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[1].first, 2);
  EXPECT_EQ(seen[1].second, 0.8f);
  EXPECT_EQ(seen[2].second, 0.8f);  // one step per tap, not one per pass
  EXPECT_EQ(seen[3].first, 3);
  EXPECT_EQ(gallerySet, 3);
  EXPECT_EQ(viewZ, 0.1f);
  EXPECT_EQ(fake::state.swaps, 4);  // the tapped Escape ended the fifth pass before its swap
  for (int key = 0; key < 256; ++key) EXPECT_EQ(keys[key], 0) << key;
}

TEST_F(MainLoopTest, ATappedEscapeInTheIntroEndsAfterThatFrame) {
  PlayOrder(2);
  fake::Post(kWmKeyDown, kVkEscape);
  fake::Post(kWmKeyUp, kVkEscape);
  EscapeAfterSwaps(30);  // a lost tap must not hang the test

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::state.swaps, 1);
  EXPECT_EQ(keys[kVkEscape], 0);
}

TEST_F(MainLoopTest, ATapInTheIntroIsSpentThereAndNeverReachesTheGallery) {
  PlayOrder(5);
  fake::Post(kWmKeyDown, kVk3);
  fake::Post(kWmKeyUp, kVk3);
  fake::state.onSwap = [this] {
    if (fake::state.swaps == 1) PlayOrder(6);  // the next pass hands over
    if (fake::state.swaps == 3) keys[kVkEscape] = 1;
  };

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(introPhase, 0);
  EXPECT_EQ(gallerySet, 1);
}

// Minimised in the gallery the loop sleeps until a message comes; each message then gets
// one pass, which draws nothing but swaps and applies the held keys.
TEST_F(MainLoopTest, MinimisedGalleryRestsUntilAMessageThenRunsOneUndrawnPass) {
  introPhase = 0;
  const float starsBefore = starSpin;
  fake::Post(kWmActivate, kWaInactive | (1u << 16));  // minimised
  fake::Post(kWmKeyDown, kVkRight);
  fake::Post(kWmKeyDown, kVk2);
  int rests = 0;
  fake::state.onWait = [&rests](int64_t until) {
    if (until != kWaitForever) return;
    if (++rests == 1) fake::Post(kWmMouseMove);
    if (rests == 2) fake::Post(kWmKeyDown, kVkEscape);
  };

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(active, 0);
  EXPECT_EQ(rests, 2);
  EXPECT_EQ(starSpin, starsBefore);  // no gallery frame while minimised
  EXPECT_EQ(fake::state.swaps, 2);   // Escape ends the third pass before its swap
  EXPECT_EQ(gallerySet, 2);
  EXPECT_EQ(viewYaw, 0.8f + 0.8f);
}

// Passes start on a deadline every 1/60 s; a key that comes while the loop waits is
// taken at once, and acts in the next pass.
TEST_F(MainLoopTest, PassesComeSixtyASecondAndAKeyIsTakenWhileWaiting) {
  introPhase = 0;
  fake::state.clock = 1000;
  std::vector<int64_t> shown;
  fake::state.onSwap = [&shown] {
    shown.push_back(fake::state.clock);
    if (shown.size() == 4) keys[kVkEscape] = 1;
  };
  std::vector<std::pair<int64_t, uint8_t>> waits;  // the clock and Right's flag at each wait
  fake::state.onWait = [&waits](int64_t until) {
    waits.push_back({fake::state.clock, keys[kVkRight]});
    if (waits.size() == 1) fake::Post(kWmKeyDown, kVkRight);
    if (waits.size() == 2) fake::Post(kWmKeyUp, kVkRight);
    (void)until;
  };

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::CountCalls("SetSwapInterval 1"), 1);  // vsync asked for
  ASSERT_EQ(shown.size(), 4u);
  for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], 1000 + int64_t(i) * 1000000 / 60);
  ASSERT_GE(waits.size(), 3u);
  EXPECT_EQ(waits[1].first, 1000);  // the key down was taken without waiting for the deadline
  EXPECT_EQ(waits[1].second, 1);
  EXPECT_EQ(waits[2].first, 1000);
  EXPECT_EQ(viewYaw, 0.8f);  // one tap, one step
}

// With vsync the display's refresh is timed on black frames before the show's first.
TEST_F(MainLoopTest, TheRefreshIsTimedOnBlankFramesBeforeTheFirstPass) {
  PlayOrder(4);
  const float spinBefore = sphereSpin;
  fake::state.vsync = true;
  fake::state.onSwap = [] {
    fake::state.clock += 1000000 / 60;  // a 60 Hz display
    if (fake::state.swaps == kProbeFrames + 2) keys[kVkEscape] = 1;
  };

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::state.swaps, kProbeFrames + 3);
  EXPECT_FLOAT_EQ(sphereSpin, spinBefore + 1.5f);  // three intro frames after the probe
}

TEST_F(MainLoopTest, TheIntroIsDrawnWhileMinimised) {
  PlayOrder(4);
  const float spinBefore = sphereSpin;
  fake::Post(kWmActivate, kWaInactive | (1u << 16));
  EscapeAfterSwaps(2);

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::state.swaps, 3);  // the intro frame with Escape held is still shown
  EXPECT_FLOAT_EQ(sphereSpin, spinBefore + 1.5f);
}

TEST_F(MainLoopTest, AQueuedQuitEndsTheLoopBeforeAnyFrameWithItsOwnCode) {
  PlayOrder(4);
  const float spinBefore = sphereSpin;
  fake::Post(kWmKeyDown, kVkLeft);
  fake::Post(kWmQuit, 5);
  fake::Post(kWmKeyDown, kVkRight);  // never taken

  EXPECT_EQ(Run(), 5);
  EXPECT_EQ(fake::state.swaps, 0);
  EXPECT_EQ(sphereSpin, spinBefore);
  EXPECT_EQ(keys[kVkLeft], 1);
  EXPECT_EQ(keys[kVkRight], 0);
  EXPECT_EQ(fake::CountCalls("DestroyWindow"), 1);
}

TEST_F(MainLoopTest, ClosingTheWindowEndsWithCodeZeroBeforeTheNextFrame) {
  introPhase = 0;
  fake::Post(kWmKeyDown, kVkEscape + 1);  // something with a non-zero wParam first
  fake::Post(kWmClose);

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::state.swaps, 0);
  EXPECT_EQ(fake::CountCalls("PostQuitMessage 0"), 1);
}

TEST_F(MainLoopTest, FailedCreationEndsAtOnceWithCodeZero) {
  fake::state.failing.insert("CreateContext");
  fake::Post(kWmQuit, 9);

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::state.swaps, 0);
  EXPECT_EQ(fake::state.queue.size(), 1u);  // the loop never ran
  ASSERT_FALSE(fake::state.boxes.empty());
  EXPECT_EQ(fake::state.boxes.back().text, "Can't Create A GL Rendering Context.");
}

TEST_F(MainLoopTest, TheShowAsksForItsWindowFullscreenAt800x600x16) {
  fake::Post(kWmQuit, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake::CountCalls("ChangeDisplayMode 800x600x16"), 1);
  EXPECT_EQ(fake::CountCalls("CreateWindow OpenGL Lumivex by Tarnel 800x600"), 1);
  EXPECT_EQ(fake::CountCalls("ChoosePixelFormat 16/16"), 1);
  EXPECT_EQ(fake::state.cursorCount, 0);
}

}  // namespace
