// The state file: Board, GameState, PlayStatus, OptionsRecord and StatisticsTable
// as raw blocks, read once at start-up and rewritten after every change of the game.
#pragma once
#include <cstddef>

#include "core/records.h"

// The records back to back, without padding between them.
constexpr size_t kStateFileSize =
    sizeof(Board) + sizeof(GameState) + sizeof(PlayStatus) + sizeof(OptionsRecord) + sizeof(StatisticsTable);
// The records pin their own layouts (core/records.h); this pins the whole.
static_assert(kStateFileSize == 12792, "the state file's size changed: files saved before would be refused");

constexpr const char16_t* kStateFileName = u"\\Windows\\Fizzorbs.dat";

void loadStateFile();
void saveStateFile();
