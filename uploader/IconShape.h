// The picture of the uploader window's own icon, on a 32 x 32 grid, for each window toolkit to
// draw: a folder-blue tile with a white sheet and an upward arrow (a file going up to the
// server).
#pragma once

struct IconPoint {
  int x, y;
};

inline constexpr int kIconGrid = 32;
inline constexpr unsigned kIconTileColour = 0x1f5fa8;   // 0xRRGGBB
inline constexpr unsigned kIconArrowColour = 0xe87a1e;  // 0xRRGGBB
inline constexpr int kIconTileLeft = 1, kIconTileSize = 30, kIconTileRadius = 6;
// The sheet with a folded corner, and the arrow.
inline constexpr IconPoint kIconSheet[] = {{8, 6}, {19, 6}, {24, 11}, {24, 27}, {8, 27}};
inline constexpr IconPoint kIconArrow[] = {{16, 10}, {21, 16}, {18, 16}, {18, 24},
                                           {14, 24}, {14, 16}, {11, 16}};
