#pragma once
// The console's command table, in the order lines are matched against it (Console.h).
#include "host/Maths.h"

// What a command reaches. One that changes the world (its entities, resources, the switches the
// world reads, the profile's fields a level reads) is given as an order when its line is entered
// in play and run at the next tick, with the units selected and the place it needs from the view
// as they were when the line was entered; the others run at once.
enum ConsoleReach {
    CONSOLE_AT_ONCE = 0,    // the view, the sound, the log, files, the GUI
    CONSOLE_WORLD,          // the world, on the selected units or none
    CONSOLE_WORLD_MOUSE,    // the world, at the cell under the mouse
    CONSOLE_WORLD_GROUND,   // the world, at the ground the camera looks at (the origin when none)
    CONSOLE_WORLD_PLANE,    // the world, where the camera's view meets the plane at height 0
};

struct ConsoleEntry {
    const char* word;
    bool whole;          // the line must be the word; otherwise the word begins the line
    bool needsArgument;  // the bare word does nothing
    // line: the whole line; argument: what follows one character past the word, or null
    void (*run)(const char* line, const char* argument);
    ConsoleReach reach = CONSOLE_AT_ONCE;
};

// The place a command of that reach needs, read from the view as it is now.
Vec3 ConsolePlaceFromView(ConsoleReach reach);

extern const ConsoleEntry ConsoleTable[];
extern const int ConsoleTableSize;
