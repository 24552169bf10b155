// The line readers and the token reader that every .cgs script and text definition goes
// through. Scripts are hand-edited, so any line ending, any keyword case and comments in
// either style must read the same.
#include "platform/Files.h"

#include "host/System.h"

#include <cctype>
#include <cstring>

int ReadLineValue(FILE* file, char* out, bool skipLineBreaks, size_t outSize)
{
    size_t length = 0;
    int c = fgetc(file);
    if (skipLineBreaks)
        while (c == '\r' || c == '\n') c = fgetc(file);
    while (c == ' ' || c == '\t' || c == '"') c = fgetc(file);
    if (c != '\n') {
        while (c != EOF && c != '\r' && c != '\n' && c != 0 && c != '"') {
            if (outSize > 0 && length + 1 < outSize) out[length++] = (char)c;
            c = fgetc(file);
        }
    }
    if (outSize > 0) out[length] = 0;
    return c;
}

void CopyLineValue(const char* text, char* out, size_t outSize)
{
    if (outSize == 0) return;
    size_t length = 0;
    const char* p = text ? text : "";
    while (*p == ' ' || *p == '"' || *p == '\t') ++p;
    while (*p && *p != '\r' && *p != '\n' && *p != '"') {
        if (length + 1 < outSize) out[length++] = *p;
        ++p;
    }
    out[length] = 0;
}

ScriptReader::~ScriptReader()
{
    Close();
}

bool ScriptReader::Open(const char* path)
{
    Close();
    file_ = OpenDataFile(path, "rb");
    ended_ = false;
    return file_ != nullptr;
}

void ScriptReader::Close()
{
    if (file_) fclose(file_);
    file_ = nullptr;
    ended_ = true;
}

// One whitespace-separated token, cut to the buffer; the separator after it stays unread so
// that a following ReadLineValue sees the end of the line.
bool ReadScriptToken(FILE* file, char* out, size_t outSize)
{
    int c = fgetc(file);
    while (c != EOF && isspace(c)) c = fgetc(file);
    if (c == EOF) return false;
    size_t length = 0;
    while (c != EOF && !isspace(c)) {
        if (length + 1 < outSize) out[length++] = (char)c;
        c = fgetc(file);
    }
    if (c != EOF) ungetc(c, file);
    out[length] = 0;
    return true;
}

// The rest of a comment line. A quote inside a comment must not end it early, or the words
// after the quote would be read as keywords.
void SkipScriptLine(FILE* file)
{
    char ignored[MAX_PATH_TEXT];
    int c;
    do {
        c = ReadLineValue(file, ignored, false, sizeof ignored);
    } while (c == '"' || c == 0);
}

bool BlockComments::Skips(const char* token)
{
    if (strcmp(token, "/*") == 0) {
        inside_ = true;
        return true;
    }
    if (strcmp(token, "*/") == 0) {
        inside_ = false;
        return true;
    }
    return inside_;
}

bool ScriptReader::NextToken(char* out, size_t outSize)
{
    if (outSize == 0) return false;
    out[0] = 0;
    if (!file_ || ended_) return false;
    char buffer[MAX_PATH_TEXT];
    bool inComment = false;
    for (;;) {
        // Markers are whole tokens: read into a buffer of our own so that a caller's short
        // buffer cannot turn a long word into a marker.
        if (!ReadScriptToken(file_, buffer, sizeof buffer)) {
            ended_ = true;
            return false;
        }
        if (inComment) {
            if (strcmp(buffer, "*/") == 0) inComment = false;
            continue;
        }
        if (strcmp(buffer, "/*") == 0) {
            inComment = true;
            continue;
        }
        if (strncmp(buffer, "//", 2) == 0) {
            SkipScriptLine(file_);
            continue;
        }
        if (StrICmp(buffer, "END_OF_FILE") == 0) {
            ended_ = true;
            return false;
        }
        CopyText(out, outSize, buffer);
        return true;
    }
}

int ScriptReader::ReadValue(char* out, size_t outSize)
{
    if (!file_) {
        if (outSize > 0) out[0] = 0;
        return EOF;
    }
    return ReadLineValue(file_, out, false, outSize);
}
