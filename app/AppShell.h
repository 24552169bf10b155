#pragma once
// The application shell: program entry, start-up as one ordered list of steps (the user
// folders and the log, the configuration, the window and the devices, the game, the front end,
// the music) and shutdown as the undoing of those steps in reverse. The main loop and the frame
// function are in app/MainLoop.h, the window procedure in app/WndProc.h.
#include "app/StartupSequence.h"

#include <vector>

// Enters the folder that holds the game's data: beside the program, else the folder it was
// started in. Where it looked is kept for FindGameData. The program's entry calls it before
// anything else; tests run where their data is and leave it out.
void EnterGameDataFolder();
// The start-up step that checks the data: the working folder must hold the game's data with
// what every start needs. Otherwise one error names where the game looked (or what was
// missing) and the answer is false: without its data the game would show only a cascade of
// errors over a black screen.
bool FindGameData();

// Opens the log in the user folder and writes its header and banner. When it cannot be opened
// a warning box says so and the game goes on without a log (false then).
bool OpenLogFile();

// The game's start-up steps in their order, each with its undo.
std::vector<StartupStep> AppStartupSteps();
// The steps of a replay's verification ("-replay FILE -verify"): the game's own without the
// window, the devices, the music and the input.
std::vector<StartupStep> VerifyStartupSteps();

// Runs the start-up steps (the game's own, or the given ones) with the program's arguments.
// False when the game cannot run (no user folder, no window or no graphics device): what had
// been made is undone already.
bool StartUp(int argc, char** argv);
bool StartUp(int argc, char** argv, const std::vector<StartupStep>& steps);
// Undoes the steps start-up did, last first: the music thread stops, every singleton is freed
// and its pointer cleared, the window goes, the log closes. Nothing happens when nothing runs.
void Shutdown();

// The program entry; returns the process exit code (0 after a normal quit).
int WinMain(int argc, char** argv);
