// Helpers shared by the view's units; not for other subsystems.
#pragma once
#include <windows.h>

#include "core/records.h"

// A damaged state file may claim more than the board holds; never index past it.
inline int colsInPlay() {
  return gameState.cols < 0 ? 0 : (gameState.cols > kMaxCols ? kMaxCols : gameState.cols);
}
inline int rowsInPlay() {
  return gameState.rows < 0 ? 0 : (gameState.rows > kMaxRows ? kMaxRows : gameState.rows);
}
inline bool isBubbleColor(int32_t color) { return color >= 0 && color < kColorCount; }

// A segment through the platform's polyline: the end point is left out.
inline void drawSegment(HDC dc, int x0, int y0, int x1, int y1) {
  POINT points[2] = {{x0, y0}, {x1, y1}};
  Polyline(dc, points, 2);
}
