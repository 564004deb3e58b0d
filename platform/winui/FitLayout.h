// Fitting a window's layout to the font the system really selected. The layouts are given in
// twips for the proportional Japanese Gothic "ＭＳ Ｐゴシック"; where that font is missing
// (Windows without its Japanese fonts, wine without a font mapping) another one stands in, often
// wider, and a caption cut at its control's edge ("ローカルファイルパ") would be the result. The
// layout is then stretched as a whole, across and down, until every caption has its room, so the
// controls keep their places relative to each other. Pure arithmetic on pixels, no window.
#pragma once

#include <cstddef>
#include <vector>

namespace winui {

struct Box {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool operator==(const Box&) const = default;
};

enum class ControlKind {
  Label,           // a caption on one line
  WrappingLabel,   // a text that wraps onto more lines
  Button,          // a push button, its caption on one line
  WrappingButton,  // a push button whose caption wraps onto more lines
  CheckBox,        // the box, then the caption
  TextBox,         // one line of text in a sunken frame
  Other,           // no caption of its own (a list)
};

struct FitControl {
  Box place;  // where the layout puts it, in pixels at the window's DPI
  ControlKind kind = ControlKind::Other;
  // The caption's extent in the control's font; for a wrapping kind, wrapped at the width of
  // its room. A text box needs the height of a line of its font.
  int textWidth = 0;
  int textHeight = 0;
};

// What each kind needs around its text, in pixels at the window's DPI.
struct FitMargins {
  int labelGap = 0;              // between a label's text and a control placed over its end
  int buttonX = 0, buttonY = 0;  // each side: bevel or theme border and focus rectangle
  int checkBoxX = 0;             // the check mark's square and the gap before the caption
  int textBoxY = 0;              // each side: frame and inner margin
};

// The space the caption of controls[index] may fill. A label's room ends a gap before another
// control that starts inside it (a box placed over its right end hides the text under it); a
// button's and a check box's room is inside their margins.
Box TextRoom(const std::vector<FitControl>& controls, size_t index, const FitMargins& margins);

struct Stretch {
  double x = 1.0, y = 1.0;
  bool operator==(const Stretch&) const = default;
};

// How much the layout must grow across and down for every caption and every text box line to
// have its room: 1 when all fit, else the largest shortfall, with a pixel to spare for rounding.
// Never less than 1: a layout is not shrunk to a smaller font.
Stretch FitStretch(const std::vector<FitControl>& controls, const FitMargins& margins);

// `box` grown by `stretch`, its edges rounded on their own so that controls that touch in the
// layout still touch.
Box Stretched(const Box& box, Stretch stretch);

// The client area for `controls` placed as they are: at least `client`, and large enough to hold
// each control whole (a layout may put a control past the area's edge).
Box EnclosingClient(const Box& client, const std::vector<Box>& controls);

}  // namespace winui
