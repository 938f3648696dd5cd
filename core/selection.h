// Selecting a group of same-coloured bubbles and what a group is worth.
#pragma once
#include <windows.h>

// Marks the group of an occupied cell and outlines it in dc as it goes.
void selectGroup(HDC dc, int col, int row);
void clearSelection();
void computeSelectionValue();
// Adds the burst group's value to the running score and the style's best move.
void addMoveValue();

// n x (n - 1) for a group of n bubbles, 0 for none.
int32_t groupValue(int32_t count);
