#pragma once
// The shell's main loop and frame function, and the shell's state they share. One pass: drain
// the window messages, tick the timer, poll the input, let the GUI have the mouse, advance the
// game by its state, draw the frame.
#include "app/FramePacer.h"

#include <cstdint>

class GfxWindow;

// The game's window (the window messages are read through the event pump).
extern GfxWindow* MainWindow;
// False while the window is minimised: the loop then waits for messages. A window shown without
// the input focus is still drawn.
extern bool AppActive;
// The last answer of the device check: 0 usable, 1 lost (not resettable yet), 2 driver error
// or failed reset. Nothing but the frame function runs while it is not 0.
extern int DeviceState;
// Consecutive frames spent with a lost or failing device.
extern int LostDeviceRetries;
// Cleared when the music thread cannot run; the loop then pumps the music itself.
extern bool UseMusicThread;
// Set when a level has just started, cleared after its first update.
extern bool FirstLevelFrame;
// Seconds a requested mission has been pending; it starts once this passes one second.
extern float LevelStartCountdown;
extern uint32_t AvailableTextureMemory;
// The last track handed to the music player.
extern char MusicTrackPath[256];
// Paces the frames while the device's presenting does not wait for the display's refresh.
extern FramePacer FramePacing;
// Frames drawn and presented so far (an idle front end presents none).
extern int PresentedFrames;

// Runs passes until a quit message arrives; returns its exit code.
int RunMainLoop();
// Plays the replay that is playing to as far as it was recorded, as fast as it can and drawing
// nothing, and prints its one line: 0 when it is the same game, 1 where it parts from it.
int RunReplayVerification();
// Drains the waiting messages through the window procedure; false once a quit message came
// (its code in *exitCode).
bool DrainMessages(int* exitCode);
// One pass after the messages: timer, input, game update by state, frame, music pump, and
// the wait for the frame's share of time where the driver does not wait for the refresh.
void MainLoopPass();
// The game's advance by its state for a frame delta dt.
void UpdateGameState(float dt);
// Checks the device and draws the frame of the current game state.
void RenderFrame();
