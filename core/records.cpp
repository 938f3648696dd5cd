// The process-wide game records; zero until initGameCore and the state file say otherwise.
#include "core/records.h"

Board board;
GameState gameState;
PlayStatus playStatus;
OptionsRecord options;
StatisticsTable statistics;

UndoBoard undoBoard;
int32_t selectionCount;
int32_t selectionValue;
int32_t selectionShown;
int32_t canUndo;
int32_t scoreBeforeMove;
int32_t savedIncomingIndex;
int32_t endBonus;
int32_t incomingShown;
int32_t demoRunning;
int32_t splashShown;
int32_t firstShow;
