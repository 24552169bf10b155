// Every test program starts here: the user folder goes to a fresh temporary folder so that no
// test ever touches the player's own files, and message boxes never block a test.
#include "host/System.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    char tmpl[] = "/tmp/veldmark-test-XXXXXX";
    const char* folder = mkdtemp(tmpl);
    if (folder) setenv("XDG_DATA_HOME", folder, 1);
    setenv("VELDMARK_NO_MESSAGEBOX", "1", 1);
    SetMessageBoxesEnabled(false);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (folder) {
        std::string command = std::string("rm -rf '") + folder + "'";
        if (system(command.c_str()) != 0) {}
    }
    return result;
}
