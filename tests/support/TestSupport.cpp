#include "tests/support/TestSupport.h"

#include "host/System.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string MakeTempFolder(const char* name)
{
    static int counter = 0;
    const char* base = getenv("XDG_DATA_HOME");
    std::string folder = std::string(base ? base : "/tmp") + "/" + name + "-" + std::to_string(++counter);
    std::string command = "rm -rf '" + folder + "'";
    if (system(command.c_str()) != 0) {}
    CreateFolder(folder.c_str());
    return folder;
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out);
}

std::string ReadTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string SourcePath(const std::string& relative)
{
    return std::string(VELDMARK_SOURCE_FOLDER) + "/" + relative;
}

std::vector<std::string> SourceFiles(const std::vector<std::string>& folders)
{
    namespace fs = std::filesystem;
    const fs::path root = SourcePath("");
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        if (!fs::is_directory(root / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            if (!entry.is_regular_file()) continue;
            std::string ext = entry.path().extension().string();
            if (ext == ".cpp" || ext == ".h" || ext == ".c" || ext == ".hpp")
                files.push_back(entry.path().lexically_relative(root).generic_string());
        }
    }
    return files;
}

WorkingFolder::WorkingFolder(const std::string& folder) : saved(GetWorkingFolder())
{
    EXPECT_TRUE(SetWorkingFolder(folder.c_str())) << folder;
}

WorkingFolder::~WorkingFolder()
{
    if (!saved.empty() && !SetWorkingFolder(saved.c_str())) ADD_FAILURE() << "cannot return to " << saved;
}
