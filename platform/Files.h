#pragma once
// Paths, file information, directory listing and the line readers of the script reader.
// Every data file is opened through FixPath first; user-folder paths are never lower-cased.
#include "host/Lexer.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

// Paths are plain zero-terminated texts of at most 256 characters; outputs are sized by the
// caller (MAX_PATH_TEXT for paths) and values longer than the buffer are cut.
constexpr size_t MAX_PATH_TEXT = 256;

void FixPath(char* path);
void NormalizeDataPath(char* path);
void NormalizeSlashes(char* path);
bool HasPathSeparator(const char* text);
char* CopyString(char* destination, const char* source);
void GetFileName(const char* path, char* out);
void StripExtension(const char* path, char* out);
void GetFileBaseName(const char* path, char* out);
void GetDirectory(const char* path, char* out);
void GetParentDirectory(const char* path, char* out);
void GetExtension(const char* path, char* out);
// "_" becomes a blank and "^" a line break; mode 1 upper case, 2 lower case, 3 capitalises
// each word, 0 nothing more. Returns the number of lines.
int FormatDisplayText(char* text, int mode);

bool GetFileInfo(const char* path, long long* size, char* timeText, bool* readable, bool* writable);
bool GetFileTimeText(const char* path, char* out, size_t length);
bool GetFileTime(const char* path, char* out, size_t length);
// Whether the file is there. logErrors: a missing or empty file is logged as an error;
// otherwise a missing file is the caller's to handle and nothing is said of it.
bool FileExists(const char* path, bool logErrors);

// Opens a data file: FixPath, then a case-insensitive open. The path buffer is not changed.
FILE* OpenDataFile(const char* path, const char* mode);
// The rest of an open file, read whole into text (the file stays open).
void ReadFileText(FILE* file, std::string* text);
// A whole data script read into text (FixPath, then a case-insensitive open); false, logged as
// "ERROR opening file <path> for READING", when it cannot be opened.
bool ReadDataScript(const char* path, std::string* text);

class DirectoryList {
public:
    DirectoryList(const char* folder, const char* pattern);
    ~DirectoryList();
    void SetWantDirectories(bool wantDirectories);
    void SetPattern(const char* pattern);
    // Full path (folder + name) of the first/next entry of the wanted kind, or null.
    const char* First();
    const char* Next();

private:
    char folder_[MAX_PATH_TEXT];
    char pattern_[32];
    char found_[MAX_PATH_TEXT * 2];
    void* search_ = nullptr;
    unsigned attributes_ = 0;
    unsigned flags_ = 0;  // bit 0: directories instead of files
};

// Rest of the current line after a keyword (see the script conventions); returns the last
// character read (EOF at the end of the file). out holds at most outSize - 1 characters.
int ReadLineValue(FILE* file, char* out, bool skipLineBreaks, size_t outSize = MAX_PATH_TEXT);
void CopyLineValue(const char* text, char* out, size_t outSize = MAX_PATH_TEXT);

// The script token reader shared by every .cgs reader: the script rules of host/Lexer.h
// ("END_OF_FILE", "/*" ... "*/" block comments and "//" line comments handled there) over one
// whole file.
class ScriptReader {
public:
    ScriptReader() = default;
    ~ScriptReader();
    ScriptReader(const ScriptReader&) = delete;
    ScriptReader& operator=(const ScriptReader&) = delete;
    // FixPath + case-insensitive open; false when missing. The file is read whole: a script of
    // N bytes costs N plus its longest token.
    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return lexer_ != nullptr; }
    // Next keyword or argument token, comments skipped; false at END_OF_FILE or end of file.
    bool NextToken(char* out, size_t outSize);
    // The rest of the line as a text value (ReadLineValue without skipping line breaks).
    int ReadValue(char* out, size_t outSize);
    // The lexer over the open script, for readers that want its numbers, ranges and line
    // numbers; null while no script is open.
    Lexer* Tokens() { return lexer_.get(); }

private:
    std::string text_;
    std::unique_ptr<Lexer> lexer_;
};
