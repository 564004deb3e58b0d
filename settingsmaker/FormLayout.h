// Placing the settings maker's windows and controls: geometry in twips (1/1440 inch; 15 twips
// make one pixel at 96 dots per inch, and Qt scales device-independent pixels for other
// screens), and windows opened centred on the screen.
#pragma once

class QLineEdit;
class QWidget;

inline constexpr int TwipsToPixels(int twips) { return (twips + 7) / 15; }

// Places `widget` at a rectangle given in twips, relative to its parent.
void PlaceTwips(QWidget* widget, int left, int top, int width, int height);

// Gives the top-level `window` a fixed client area of `width` x `height` twips.
void SetClientSizeTwips(QWidget* window, int width, int height);

// A text box of both windows, owned by `parent`: single line, unmasked, no length limit of its
// own, in the form font (dialogs::FormFont) but with Latin text from DejaVu Sans, because the
// Japanese Gothic fonts draw the backslash as a yen sign and a typed path must read as typed.
QLineEdit* NewTextBox(QWidget* parent);

// Moves the top-level `window` so that it stands in the middle of the primary screen's
// available area (without a screen, as offscreen may be, it stays where it is).
void CentreOnScreen(QWidget* window);
