// Window geometry is laid out in twips (1/1440 inch); at 96 dots per inch 15 twips make one
// pixel, and Qt scales device-independent pixels for other screens.
#pragma once

inline constexpr int TwipsToPixels(int twips) { return (twips + 7) / 15; }
