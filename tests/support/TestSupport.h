#pragma once
// Helpers shared by the tests.
#include <string>
#include <vector>

// A fresh, empty folder below the test program's temporary user folder.
std::string MakeTempFolder(const char* name);
// Writes a whole file (binary); false on failure.
bool WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
// The C and C++ sources and headers below the given folders of the project (run from the
// project root), as paths with forward slashes; folders that do not exist are passed over.
std::vector<std::string> SourceFiles(const std::vector<std::string>& folders);

// Enters a folder for the life of the object, then returns to the folder it was made in.
struct WorkingFolder {
    explicit WorkingFolder(const std::string& folder);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    std::string saved;
};
