#pragma once
// The game's log. While the log file is open every line goes to standard output and to the
// file, flushed at once, so a crash never loses the lines before it. While it is closed
// nothing is logged (the shell opens it right after creating the user folders).
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

extern FILE* LogFile;
// Whether the lines go to standard output too (a program whose output is one line of its own
// turns it off; the file still has them all).
extern bool LogToStandardOutput;

// Opens (truncates) the log file; false when it cannot be created.
bool LogOpen(const char* path);
void LogClose();

// printf-style; the text is written as given (callers end their lines with "\n").
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "WARNING: <file> line <n>: <text>", the way every reader of a text file words a fault it
// passes over.
void LogWarningAt(const char* file, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
void LogWarningAtV(const char* file, int line, const char* format, va_list args);

// Tests listen to the log without a file: every text passed to Log() is appended here too
// (regardless of whether the file is open) while a capture is active.
void LogCaptureBegin();
std::string LogCaptureEnd();
const std::string& LogCaptured();
