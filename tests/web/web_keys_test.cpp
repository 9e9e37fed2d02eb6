// KeyboardEvent.code to the virtual-key codes the window procedure expects.
#include <gtest/gtest.h>

#include "platform/web/web_internal.h"

namespace {

TEST(WebKeys, CodesMapByPlaceOnTheKeyboard) {
  EXPECT_EQ(VirtualKeyFromCode("Digit1"), kVk1);
  EXPECT_EQ(VirtualKeyFromCode("Digit3"), kVk3);
  EXPECT_EQ(VirtualKeyFromCode("KeyA"), 0x41u);
  EXPECT_EQ(VirtualKeyFromCode("KeyZ"), 0x5Au);
  EXPECT_EQ(VirtualKeyFromCode("Escape"), kVkEscape);
  EXPECT_EQ(VirtualKeyFromCode("ArrowLeft"), kVkLeft);
  EXPECT_EQ(VirtualKeyFromCode("ArrowDown"), kVkDown);
  EXPECT_EQ(VirtualKeyFromCode("NumpadEnter"), kVkReturn);
  EXPECT_EQ(VirtualKeyFromCode("F1"), 0x70u);
  EXPECT_EQ(VirtualKeyFromCode("F12"), 0x7Bu);
}

TEST(WebKeys, UnknownOrMalformedCodesGiveNothing) {
  for (const char* code : {"", "F0", "F13", "F1x", "Key", "KeyAB", "Keya", "Digit", "Digit12",
                           "IntlBackslash", "MediaPlayPause"}) {
    EXPECT_EQ(VirtualKeyFromCode(code), 0u) << code;
  }
  EXPECT_EQ(VirtualKeyFromCode(nullptr), 0u);
}

TEST(WebKeys, OnlyTheShowsKeysAreKeptFromThePage) {
  for (uint32_t vk : {uint32_t{kVkEscape}, uint32_t{kVkLeft}, uint32_t{kVkUp}, uint32_t{kVk2},
                      uint32_t{kVkSpace}}) {
    EXPECT_TRUE(ShowUsesKey(vk)) << vk;
  }
  EXPECT_FALSE(ShowUsesKey(0x70));  // F1: the browser's own
  EXPECT_FALSE(ShowUsesKey(kVkTab));
}

}  // namespace
