#pragma once
// The application shell: program entry, user folders, log file, start-up and shutdown.
// The main loop, window procedure and frame function come with the window and input layer.

extern char LocalAppDataFolder[256];
extern char UserFolder[256];
extern char ProfilesFolder[256];

// Start-up steps that need no window: finds the application-data folder, creates the user
// folders and opens the log with its header and banner. False when there is no
// application-data folder at all (the program cannot go on).
bool InitUserFolders();
bool OpenLogFile();

// The program entry; returns the process exit code.
int WinMain(int argc, char** argv);
