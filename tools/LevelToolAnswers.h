#pragma once
// The developer tools' answers to what the level's making shows in their windows
// (LevelToolHooks): the level generator's window and the growth tool's. Until they are installed
// the level answers as a program with no tools. The shell installs them at start-up with the
// player's answers, and removes them at shutdown, when what was in use before comes back.
void InstallLevelToolAnswers();
void RemoveLevelToolAnswers();
