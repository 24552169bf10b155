#pragma once
// The console's command table, in the order lines are matched against it (Console.h).

struct ConsoleEntry {
    const char* word;
    bool whole;          // the line must be the word; otherwise the word begins the line
    bool needsArgument;  // the bare word does nothing
    // line: the whole line; argument: what follows one character past the word, or null
    void (*run)(const char* line, const char* argument);
};

extern const ConsoleEntry ConsoleTable[];
extern const int ConsoleTableSize;
