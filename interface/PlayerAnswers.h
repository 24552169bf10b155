#pragma once
// The player's answers to the world's hooks (CombatHooks, ItemHooks, ScanHooks, ScreenHooks):
// the message bar, the floating texts, the upgrade panel, the bag, the Scan button, the mission's
// windows, the galaxy's choice, the mouse's orders and the replays' front end. Until they are installed the simulation answers quietly, as a
// game with no screens. The shell installs them at start-up and removes them at shutdown, when
// what was in use before comes back.
void InstallPlayerAnswers();
void RemovePlayerAnswers();
