// These tests play the world with the game's screens beside it (the message bar, the bag, the
// Scan button, the mission's windows, the tools): the game's answers to its hooks are in place
// for the whole program, as in the game.
#include "tests/gui/GameAnswersInstalled.h"
