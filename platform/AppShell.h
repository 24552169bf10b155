#pragma once
// The application shell: program entry, user folders, log file, start-up in its fixed order
// and shutdown in reverse. The main loop and the frame function are in platform/MainLoop.h,
// the window procedure in platform/WndProc.h.

extern char LocalAppDataFolder[256];
extern char UserFolder[256];
extern char ProfilesFolder[256];

// Start-up steps that need no window: finds the application-data folder, creates the user
// folders and opens the log with its header and banner. False when there is no
// application-data folder at all (the program cannot go on).
bool InitUserFolders();
bool OpenLogFile();

// Everything from the configuration to the music thread, in order. False when the game
// cannot run (no window or graphics device); whatever was made is then freed by Shutdown.
bool StartUp(int argc, char** argv);
// Stops the music thread, frees every singleton the shell made and closes the log.
void Shutdown();
// Frees the font cache, the window manager, the texture manager, the graphics device, the
// string table, the Scene's managers and the input devices; pointers are cleared.
void ShutdownSubsystems();

// The program entry; returns the process exit code (0 after a normal quit).
int WinMain(int argc, char** argv);
