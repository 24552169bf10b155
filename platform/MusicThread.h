#pragma once
// The music thread: it pumps the music player every 16 ms while music is on or a fade runs,
// so that the music never stutters behind a slow frame. It is asked to stop and waited for,
// never killed, so it can never be cut off inside the player's lock or the decoder.
#include <atomic>

// The thread's body: returns 0 at once when there is no music player; otherwise pumps it
// until StopMusicThread asks it to end.
int MusicThreadProc(void* parameter);

// Starts the thread; false when it cannot be created (the main loop then pumps the music).
bool StartMusicThread();
// Asks the thread to end and waits until it has; nothing happens when none runs.
void StopMusicThread();
bool IsMusicThreadRunning();
