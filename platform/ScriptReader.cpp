// The line readers and the token reader that every .cgs script goes through. Scripts are
// hand-edited, so any line ending, any keyword case and comments in either style must read the
// same.
#include "platform/Files.h"

#include "host/Log.h"
#include "host/System.h"

#include <cstring>
#include <string>

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

void ReadFileText(FILE* file, std::string* text)
{
    text->clear();
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0) text->append(block, got);
}

bool ReadDataScript(const char* path, std::string* text)
{
    char fixed[MAX_PATH_TEXT];
    CopyText(fixed, sizeof fixed, path ? path : "");
    FixPath(fixed);
    FILE* file = OpenDataFile(fixed, "rb");
    if (!file) {
        Log("ERROR opening file %s for READING\n", fixed);
        return false;
    }
    ReadFileText(file, text);
    fclose(file);
    return true;
}

ScriptReader::~ScriptReader()
{
    Close();
}

bool ScriptReader::Open(const char* path)
{
    Close();
    FILE* file = OpenDataFile(path, "rb");
    if (!file) return false;
    ReadFileText(file, &text_);
    fclose(file);
    char name[MAX_PATH_TEXT];
    GetFileName(path, name);
    lexer_.reset(new Lexer(text_.data(), text_.size(), SCRIPT_RULES, name));
    return true;
}

void ScriptReader::Close()
{
    lexer_.reset();
    text_.clear();
    text_.shrink_to_fit();
}

bool ScriptReader::NextToken(char* out, size_t outSize)
{
    if (outSize == 0) return false;
    out[0] = 0;
    const char* token = lexer_ ? lexer_->Next() : nullptr;
    if (!token) return false;
    CopyText(out, outSize, token);
    return true;
}

int ScriptReader::ReadValue(char* out, size_t outSize)
{
    if (outSize > 0) out[0] = 0;
    if (!lexer_) return EOF;
    std::string value;
    int last = lexer_->ReadLineValue(&value, false);
    if (outSize > 0) CopyText(out, outSize, value.c_str());
    return last == Lexer::END ? EOF : last;
}
