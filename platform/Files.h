#pragma once
// Paths, file information, directory listing and the line readers of the script reader.
// Every data file is opened through FixPath first; user-folder paths are never lower-cased.
#include <cstddef>
#include <cstdio>

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
bool FileExists(const char* path, bool logErrors);

// Opens a data file: FixPath, then a case-insensitive open. The path buffer is not changed.
FILE* OpenDataFile(const char* path, const char* mode);

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

// One whitespace-separated token, cut to the buffer; the separator after it stays unread so
// that a following ReadLineValue sees the end of the line. False at the end of the file.
bool ReadScriptToken(FILE* file, char* out, size_t outSize);
// Skips the rest of a "//" comment line (a quote inside it does not end it early).
void SkipScriptLine(FILE* file);

// Block comments of the settings and string table files: the tokens from "/*" to the next
// "*/" are passed over, and so are both markers, even one that closes no comment.
class BlockComments {
public:
    // True when the token is a marker or lies inside a comment.
    bool Skips(const char* token);

private:
    bool inside_ = false;
};

// The script token reader shared by every .cgs reader: whitespace-separated tokens with
// "END_OF_FILE", "/*" ... "*/" block comments and "//" line comments handled here.
class ScriptReader {
public:
    ScriptReader() = default;
    ~ScriptReader();
    bool Open(const char* path);  // FixPath + case-insensitive open; false when missing
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    // Next keyword or argument token, comments skipped; false at END_OF_FILE or end of file.
    bool NextToken(char* out, size_t outSize);
    // The rest of the line as a text value (ReadLineValue without skipping line breaks).
    int ReadValue(char* out, size_t outSize);
    FILE* File() { return file_; }

private:
    FILE* file_ = nullptr;
    bool ended_ = false;
};
