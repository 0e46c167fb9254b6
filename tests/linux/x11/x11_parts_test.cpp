// The X11 desktop's parts that need no X server: the virtual keys as
// keysyms and damaged picture data. (The keyboard map is read from a real
// server by x11_desktop_test: a key found shifted, a spare key code; the runs
// of zem on X compare a gesture's picture and the game-pad's with the screen;
// the settings' commands and keyboard lists run on a server too.)
#include <gtest/gtest.h>

#include <set>

#include "platform/linux/x11/x11_keys.h"
#include "platform/linux/x11/x11_pictures.h"

namespace {

// Every key zem sends (command words, "back", the game-pad's default keys)
// has a keysym of its own; the X11 runs read the keys back.
TEST(X11Keys, EveryKeyZemSendsHasAKeysymOfItsOwn) {
  std::set<std::uint32_t> keysyms;
  for (const int virtualKey : {0x25, 0x26, 0x27, 0x28, 0x08, 0x73, 0x5B, 0x85, 0x72, 0x0D, 0x0C,
                               0x60, 0x65, 0x41, 0x5A, 0x30, 0x39}) {
    const std::uint32_t keysym = X11Keys::keysymFor(static_cast<std::uint8_t>(virtualKey));
    EXPECT_NE(keysym, 0u) << virtualKey;
    EXPECT_TRUE(keysyms.insert(keysym).second) << virtualKey << " shares its keysym";
  }
  EXPECT_EQ(X11Keys::keysymFor(0x00), 0u);
  EXPECT_EQ(X11Keys::keysymFor(0xFF), 0u);
}

TEST(X11Pictures, DamagedDataGivesNoPicture) {
  const unsigned char tooShort[] = {3, 1, 2, 3};
  const unsigned char tooLong[] = {255, 1, 2, 3, 255, 1, 2, 3};
  const unsigned char zeroRun[] = {0, 1, 2, 3, 4, 1, 2, 3};
  const unsigned char ragged[] = {4, 1, 2};
  for (const X11Pictures::Coded& coded : {X11Pictures::Coded{1, 2, 2, tooShort, sizeof tooShort},
                                          X11Pictures::Coded{1, 2, 2, tooLong, sizeof tooLong},
                                          X11Pictures::Coded{1, 2, 2, zeroRun, sizeof zeroRun},
                                          X11Pictures::Coded{1, 2, 2, ragged, sizeof ragged},
                                          X11Pictures::Coded{1, 0, 2, tooShort, sizeof tooShort}}) {
    EXPECT_FALSE(X11Pictures::decode(coded));
  }
  const unsigned char whole[] = {4, 0x12, 0x34, 0x56};
  const std::optional<X11Picture> picture = X11Pictures::decode({1, 2, 2, whole, sizeof whole});
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels, std::vector<std::uint32_t>(4, 0x123456u));
  EXPECT_FALSE(X11Pictures::load(0));  // no such picture
  EXPECT_FALSE(X11Pictures::load(161));
}

}  // namespace
