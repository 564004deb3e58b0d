#include "platform/winui/FitLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using winui::Box;
using winui::ControlKind;
using winui::FitControl;
using winui::FitMargins;
using winui::Stretch;

constexpr FitMargins kMargins{
    .labelGap = 2, .buttonX = 3, .buttonY = 2, .checkBoxX = 18, .textBoxY = 2};

TEST(FitLayout, ALabelHasTheRoomUpToAControlStartingInsideIt) {
  // A label reaching under a box that starts at 112 (and a box further down, beside it).
  const std::vector<FitControl> controls = {
      {{7, 126, 120, 22}, ControlKind::Label, 98, 12},
      {{119, 119, 211, 22}, ControlKind::TextBox, 0, 12},
      {{119, 147, 211, 22}, ControlKind::TextBox, 0, 12},
  };
  EXPECT_EQ(TextRoom(controls, 0, kMargins), (Box{7, 126, 110, 22}));
  EXPECT_EQ(FitStretch(controls, kMargins), Stretch{});
  // In a wider font the caption no longer fits before the box: the layout grows across, with
  // a pixel to spare, and the text box's line still fits its height.
  std::vector<FitControl> wider = controls;
  wider[0].textWidth = 120;
  EXPECT_DOUBLE_EQ(FitStretch(wider, kMargins).x, 121.0 / 110);
  EXPECT_DOUBLE_EQ(FitStretch(wider, kMargins).y, 1.0);
  // Stretched, the room before the box holds the caption.
  const Stretch s = FitStretch(wider, kMargins);
  const Box label = Stretched(wider[0].place, s), box = Stretched(wider[1].place, s);
  EXPECT_GE(box.left - kMargins.labelGap - label.left, 120);
}

TEST(FitLayout, ButtonsCheckBoxesAndTextBoxesKeepTheirMargins) {
  const std::vector<FitControl> button = {{{0, 0, 73, 41}, ControlKind::Button, 70, 12}};
  EXPECT_DOUBLE_EQ(FitStretch(button, kMargins).x, 71.0 / 67);  // 3 px each side
  const std::vector<FitControl> check = {{{0, 0, 65, 18}, ControlKind::CheckBox, 47, 12}};
  EXPECT_EQ(FitStretch(check, kMargins), Stretch{});  // 18 px for the square, 47 after it
  const std::vector<FitControl> edit = {{{0, 0, 10, 18}, ControlKind::TextBox, 0, 15}};
  EXPECT_DOUBLE_EQ(FitStretch(edit, kMargins).y, 16.0 / 14);  // 2 px frame above and below
  // Wrapped captions count by their wrapped extent; a list needs nothing.
  const std::vector<FitControl> wrapped = {{{0, 0, 73, 41}, ControlKind::WrappingButton, 60, 40},
                                           {{0, 50, 5, 5}, ControlKind::Other, 900, 900}};
  EXPECT_DOUBLE_EQ(FitStretch(wrapped, kMargins).y, 41.0 / 37);
  EXPECT_DOUBLE_EQ(FitStretch(wrapped, kMargins).x, 1.0);
}

TEST(FitLayout, StretchedEdgesRoundOnTheirOwnAndTheClientHoldsEveryControl) {
  // Two boxes that touch still touch, whatever the rounding of each.
  const Stretch s{1.13, 1.5};
  const Box a = Stretched({7, 3, 105, 11}, s), b = Stretched({112, 14, 30, 11}, s);
  EXPECT_EQ(a.right(), b.left);
  EXPECT_EQ(a.bottom(), b.top);
  EXPECT_EQ(Stretched({10, 10, 10, 10}, Stretch{}), (Box{10, 10, 10, 10}));
  // A control placed past the client area's bottom edge makes the area grow to hold it.
  EXPECT_EQ(winui::EnclosingClient({0, 0, 423, 303}, {{16, 264, 73, 41}, {0, 0, 10, 10}}),
            (Box{0, 0, 423, 305}));
  EXPECT_EQ(winui::EnclosingClient({0, 0, 423, 303}, {}), (Box{0, 0, 423, 303}));
}

}  // namespace
