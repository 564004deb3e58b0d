#include "platform/winui/FitLayout.h"

#include <algorithm>
#include <cmath>

namespace winui {
namespace {

bool overlapDown(const Box& a, const Box& b) { return a.top < b.bottom() && b.top < a.bottom(); }

// The factor that gives `need` pixels where `room` are, plus one for rounding; 1 when it fits.
double grow(int need, int room) {
  if (need <= room) return 1.0;
  return room > 0 ? static_cast<double>(need + 1) / room : 1.0;
}

Box inset(const Box& box, int x, int y) {
  return {box.left + x, box.top + y, std::max(box.width - 2 * x, 0),
          std::max(box.height - 2 * y, 0)};
}

}  // namespace

Box TextRoom(const std::vector<FitControl>& controls, size_t index, const FitMargins& margins) {
  const FitControl& control = controls[index];
  switch (control.kind) {
    case ControlKind::Label:
    case ControlKind::WrappingLabel: {
      int right = control.place.right();
      for (size_t other = 0; other < controls.size(); ++other) {
        const Box& box = controls[other].place;
        if (other != index && box.left > control.place.left && box.left < right &&
            overlapDown(box, control.place)) {
          right = box.left - margins.labelGap;
        }
      }
      return {control.place.left, control.place.top, right - control.place.left,
              control.place.height};
    }
    case ControlKind::Button:
    case ControlKind::WrappingButton:
      return inset(control.place, margins.buttonX, margins.buttonY);
    case ControlKind::CheckBox: {
      Box room = control.place;
      room.left += margins.checkBoxX;
      room.width = std::max(room.width - margins.checkBoxX, 0);
      return room;
    }
    case ControlKind::TextBox:
      return inset(control.place, 0, margins.textBoxY);
    case ControlKind::Other:
      break;
  }
  return control.place;
}

Stretch FitStretch(const std::vector<FitControl>& controls, const FitMargins& margins) {
  Stretch stretch;
  for (size_t i = 0; i < controls.size(); ++i) {
    const FitControl& control = controls[i];
    if (control.kind == ControlKind::Other) continue;
    const Box room = TextRoom(controls, i, margins);
    // A text box scrolls its text sideways; only its line's height must fit.
    if (control.kind != ControlKind::TextBox) {
      stretch.x = std::max(stretch.x, grow(control.textWidth, room.width));
    }
    stretch.y = std::max(stretch.y, grow(control.textHeight, room.height));
  }
  return stretch;
}

Box Stretched(const Box& box, Stretch stretch) {
  const auto at = [](int edge, double factor) {
    return static_cast<int>(std::lround(edge * factor));
  };
  const int left = at(box.left, stretch.x), top = at(box.top, stretch.y);
  return {left, top, at(box.right(), stretch.x) - left, at(box.bottom(), stretch.y) - top};
}

Box EnclosingClient(const Box& client, const std::vector<Box>& controls) {
  Box enclosing = client;
  for (const Box& box : controls) {
    enclosing.width = std::max(enclosing.width, box.right() - enclosing.left);
    enclosing.height = std::max(enclosing.height, box.bottom() - enclosing.top);
  }
  return enclosing;
}

}  // namespace winui
