#pragma once
// The player's own folders: "Veldmark" below the local application-data folder, with
// "profiles", "heightmaps" and "savefiles" below it. Every user file (log, settings, hotkeys,
// profiles, saves, screenshots, debug images) is addressed from UserFolder. The buffers read
// "<NOT-SET>" until InitUserFolders has found the application-data folder.

extern char LocalAppDataFolder[256];
extern char UserFolder[256];
extern char ProfilesFolder[256];

// Finds the application-data folder and creates the user folders that are missing (a folder
// that cannot be made is a warning box, and the game goes on). False when there is no
// application-data folder at all: the game then has nowhere to keep the player's files.
bool InitUserFolders();
