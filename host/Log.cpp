#include "host/Log.h"

#include <cstdarg>
#include <mutex>

FILE* LogFile = nullptr;
bool LogToStandardOutput = true;

namespace {
std::mutex logLock;  // the music thread logs too
bool capturing = false;
std::string captured;
}

bool LogOpen(const char* path)
{
    std::lock_guard<std::mutex> guard(logLock);
    if (LogFile) fclose(LogFile);
    LogFile = fopen(path, "w");
    return LogFile != nullptr;
}

void LogClose()
{
    std::lock_guard<std::mutex> guard(logLock);
    if (LogFile) fclose(LogFile);
    LogFile = nullptr;
}

void Log(const char* format, ...)
{
    char small[1024];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string text;
    if (length < 0) {
        va_end(copy);
        return;
    }
    if (length < (int)sizeof small) {
        text.assign(small, length);
    } else {
        text.resize(length + 1);
        vsnprintf(&text[0], text.size(), format, copy);
        text.resize(length);
    }
    va_end(copy);

    std::lock_guard<std::mutex> guard(logLock);
    if (capturing) captured += text;
    if (!LogFile) return;
    if (LogToStandardOutput) {
        fwrite(text.data(), 1, text.size(), stdout);
        fflush(stdout);
    }
    fwrite(text.data(), 1, text.size(), LogFile);
    fflush(LogFile);
}

void LogCaptureBegin()
{
    std::lock_guard<std::mutex> guard(logLock);
    capturing = true;
    captured.clear();
}

std::string LogCaptureEnd()
{
    std::lock_guard<std::mutex> guard(logLock);
    capturing = false;
    std::string result;
    result.swap(captured);
    return result;
}

const std::string& LogCaptured()
{
    return captured;
}

void LogWarningAtV(const char* file, int line, const char* format, va_list args)
{
    char text[512];
    vsnprintf(text, sizeof text, format, args);
    Log("WARNING: %s line %d: %s\n", file, line, text);
}

void LogWarningAt(const char* file, int line, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogWarningAtV(file, line, format, args);
    va_end(args);
}
