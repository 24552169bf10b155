#pragma once
// The developer console: one line of text typed into the HUD's console box while debugMode is
// on (Enter opens it), run against a fixed table of command words and remembered in a history
// of the last 64 lines that Up and Down browse while the box has the focus.
//
// Words match in the table's order, the first match wins: a whole word must be the line (any
// case); a prefix word begins the line (any case), and its argument starts one character after
// the word, whatever that character is. Numbers are read as the C library reads them (leading
// digits, none giving 0). A command whose argument is required does nothing on its bare word.
//
// Most commands reach into another part of the game (camera, textures, particles, terrain, the
// Scene, the profile, the message lists); the switches below belong to the console and are read
// where they take effect.
#include "host/Maths.h"

#include <vector>

class EditBox;
class Entity;

constexpr int CONSOLE_HISTORY_ENTRIES = 64;
constexpr int CONSOLE_LINE_SIZE = 64;  // a remembered line and its terminator

struct ConsoleHistory {
    // Slot 0 is never used: entries live in 1..64.
    char lines[CONSOLE_HISTORY_ENTRIES + 1][CONSOLE_LINE_SIZE] = {};
    int count = 0;
    int browse = 0;

    // Stores a line (cut to 63 characters): the count grows to 64, then each new line replaces
    // entry 64. The browse index becomes the count.
    void Remember(const char* line);
    // Up (back) or Down (on): the browse index wraps (below 0 to count - 1, at count to 0); the
    // entry browse + 1 when the index is in 0..63, else null.
    const char* Step(bool back);
    void Clear();
};
extern ConsoleHistory TheConsoleHistory;

// The console's own switches, off at start (the texture statistics of the FPS label are the
// game's TextureStatsShown; the collision meshes' switch is the drawing's ShowCollisionVolumes).
// The camera's automatic turn: on with "animcam", at this many radians a second.
extern bool CameraAutoRotate;
extern float CameraAutoRotateSpeed;

// The enter callback of the console box: runs the line, then empties, hides and unfocuses the
// box and clears the modal window. Nothing at all without a box or a game.
int ConsoleCommand(void* user, EditBox* box);
// Remembers and runs one line (nothing without a profile or for an empty line). The table
// index of the command that ran, or -1 when no word matched. In play, a command that changes the
// world is not run here: it is given as an order (ORDER_CONSOLE) with the selection and the place
// it needs from the view, and runs at the next tick.
int RunConsoleLine(const char* line);
// A console order carried out at a tick: the line's command run on these units and at this
// point, in place of the selection and the view, which it never reads.
void RunConsoleOrder(const char* line, const std::vector<Entity*>& units, const Vec3& point);
// The table index of the command a line runs, with its argument (null when the line is the
// bare word); -1 when no word matches.
int MatchConsoleCommand(const char* line, const char** argument);
int ConsoleCommandCount();
const char* ConsoleCommandWord(int index);

// The integer after a word: the default when the line does not begin with the word (any case)
// or is the bare word; else the number read from one character after the word.
int GetIntArg(const char* line, const char* word, int defaultValue);
// Reads up to three numbers separated by blanks, tabs or line ends into out; a number longer
// than 47 characters is read from its first 47. Returns how many were read.
int ParseConsoleNumbers(const char* text, float* out, int most);

// The Enter key of the window procedure: with debugMode on, the console box is shown, focused
// and made the modal window. False when there is no box or debugMode is off.
bool OpenConsole();
// The history keys of the window procedure while the console box has the focus.
bool ConsoleHasFocus();
void BrowseConsoleHistory(bool back);
// Re-creates every texture of the entity's mesh materials that names one.
void ReloadRecordTextures(Entity* entity);
