#pragma once
// The player's own folders: "Veldmark" below the local application-data folder, with
// "profiles", "heightmaps" and "savefiles" below it. Every user file (log, settings, hotkeys,
// profiles, saves, screenshots, debug images) is addressed from UserFolder. The buffers read
// "<NOT-SET>" until InitUserFolders has found the application-data folder.

extern char LocalAppDataFolder[256];
extern char UserFolder[256];
extern char ProfilesFolder[256];

// Finds the application-data folder and creates it (with its parents) and the user folders
// when they are missing; a user folder that cannot be made is a warning box naming it, and the
// game goes on. False, after an error box naming the folder (or the variables that name none),
// when there is no application-data folder: the game then has nowhere to keep the player's
// files.
bool InitUserFolders();
