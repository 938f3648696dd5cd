// The state file: Board, GameState, PlayStatus, OptionsRecord and StatisticsTable
// as raw blocks, read once at start-up and rewritten after every change of the game.
#pragma once

constexpr const char16_t* kStateFileName = u"\\Windows\\Fizzorbs.dat";

void loadStateFile();
void saveStateFile();
