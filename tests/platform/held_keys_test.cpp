// Touch drags and gamepads as held keys: which keys a pad or a drag holds, and the key
// messages the merged sources make.
#include "platform/held_keys.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<uint32_t, uint8_t>> posted;
void Record(uint32_t message, uint8_t vk) {
  posted.push_back({message, vk});
}

TEST(PadHeldKeys, StickHasADeadZoneAndUpWalksForward) {
  PadInput pad;
  pad.stickX = 0.3f, pad.stickY = -0.3f;  // a worn stick at rest
  EXPECT_EQ(PadHeldKeys(pad), 0u);
  pad.stickX = 0.9f;
  EXPECT_EQ(PadHeldKeys(pad), kHoldRight);
  pad.stickX = -0.9f, pad.stickY = -0.9f;  // pushed up and left: y runs downwards
  EXPECT_EQ(PadHeldKeys(pad), kHoldLeft | kHoldUp);
  pad.stickX = 0.0f, pad.stickY = 1.0f;
  EXPECT_EQ(PadHeldKeys(pad), kHoldDown);
}

// Every button of the mapping, through XInput's bits (the SDL and page pads are checked
// end to end).
TEST(XInputPad, ButtonBitsAndAStickWhoseYPointsUp) {
  EXPECT_EQ(PadHeldKeys(XInputPad(0x0008 | 0x0001, 0, 0)), kHoldRight | kHoldUp);
  EXPECT_EQ(PadHeldKeys(XInputPad(0x0004 | 0x0002, 0, 0)), kHoldLeft | kHoldDown);
  EXPECT_EQ(PadHeldKeys(XInputPad(0x1000, 0, 0)), kHold1);
  EXPECT_EQ(PadHeldKeys(XInputPad(0x2000, 0, 0)), kHold2);
  EXPECT_EQ(PadHeldKeys(XInputPad(0x4000, 0, 0)), kHold3);
  EXPECT_EQ(PadHeldKeys(XInputPad(0x0010, 0, 0)), kHoldEscape);         // Start
  EXPECT_EQ(PadHeldKeys(XInputPad(0x0020, 0, 0)), kHoldEscape);         // Back
  EXPECT_EQ(PadHeldKeys(XInputPad(0x8000 | 0x0100, 7849, -7849)), 0u);  // Y, a shoulder; rest
  EXPECT_EQ(PadHeldKeys(XInputPad(0, -32768, 32767)), kHoldLeft | kHoldUp);
  EXPECT_EQ(PadHeldKeys(XInputPad(0, 32767, -32768)), kHoldRight | kHoldDown);
}

TEST(DragHeldKeys, TheSideTheFingerIsOffTo) {
  EXPECT_EQ(DragHeldKeys(0, 0), 0u);
  EXPECT_EQ(DragHeldKeys(kDragThreshold - 1, 0), 0u);  // a tap's jitter steers nothing
  EXPECT_EQ(DragHeldKeys(40, 0), kHoldRight);
  EXPECT_EQ(DragHeldKeys(-40, 5), kHoldLeft);
  EXPECT_EQ(DragHeldKeys(0, -40), kHoldUp);  // pushed up the screen: forward
  EXPECT_EQ(DragHeldKeys(3, 40), kHoldDown);
  // Mostly sideways: turns without walking; diagonal: both.
  EXPECT_EQ(DragHeldKeys(100, 30), kHoldRight);
  EXPECT_EQ(DragHeldKeys(-60, -60), kHoldLeft | kHoldUp);
}

TEST(HeldKeys, MessagesOnlyWhenTheFirstTakesAndTheLastLetsGo) {
  posted.clear();
  HeldKeys keys;
  keys.Set(0, kHoldRight, Record);
  keys.Set(1, kHoldRight | kHold2, Record);  // a pad holds Right as well
  keys.Set(0, 0, Record);                    // the finger lifts: the pad still holds it
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0], std::make_pair(kWmKeyDown, kVkRight));
  EXPECT_EQ(posted[1], std::make_pair(kWmKeyDown, kVk2));
  keys.ReleaseAll(Record);
  ASSERT_EQ(posted.size(), 4u);
  EXPECT_EQ(posted[2], std::make_pair(kWmKeyUp, kVkRight));
  EXPECT_EQ(posted[3], std::make_pair(kWmKeyUp, kVk2));
  EXPECT_EQ(keys.Held(), 0u);
}

TEST(HeldKeys, ATapIsADownAndAnUpAndStrangeSourcesAreIgnored) {
  posted.clear();
  HeldKeys keys;
  keys.Set(2, kHoldEscape, Record);
  keys.Set(2, 0, Record);
  keys.Set(HeldKeys::kSources, kHold1, Record);
  keys.Set(-1, kHold1, Record);
  keys.Set(3, 1u << kHeldKeyCount, Record);  // no key of the show
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0], std::make_pair(kWmKeyDown, kVkEscape));
  EXPECT_EQ(posted[1], std::make_pair(kWmKeyUp, kVkEscape));
}

}  // namespace
