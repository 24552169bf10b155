#pragma once
// Helpers shared by the tests.
#include <string>

// A fresh, empty folder below the test program's temporary user folder.
std::string MakeTempFolder(const char* name);
// Writes a whole file (binary); false on failure.
bool WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
