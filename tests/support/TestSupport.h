#pragma once
// Helpers shared by the tests.
#include <string>
#include <vector>

// A fresh, empty folder below the test program's temporary user folder.
std::string MakeTempFolder(const char* name);
// Writes a whole file (binary); false on failure.
bool WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
// A path below the project's source folder ("content/shaders" and the like). Tests run in the
// build folder, where "data/" is the data this build assembled.
std::string SourcePath(const std::string& relative);
// The C and C++ sources and headers below the given folders of the project, as paths from the
// project's source folder with forward slashes (open them with SourcePath); folders that do
// not exist are passed over.
std::vector<std::string> SourceFiles(const std::vector<std::string>& folders);

// Whether a captured log holds an error or a warning.
inline bool HasProblem(const std::string& log)
{
    return log.find("ERROR") != std::string::npos || log.find("WARNING") != std::string::npos;
}

// Enters a folder for the life of the object, then returns to the folder it was made in.
struct WorkingFolder {
    explicit WorkingFolder(const std::string& folder);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    std::string saved;
};
