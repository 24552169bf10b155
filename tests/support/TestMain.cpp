// Every test program starts here: the user folder goes to a fresh temporary folder so that no
// test ever touches the player's own files, and message boxes never block a test. The folder
// goes when the program ends, also when a run is stopped by hand.
#include "host/System.h"
#include "tests/support/ProgramUserFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    programfolder::Make("veldmark-test");
    setenv("VELDMARK_NO_MESSAGEBOX", "1", 1);
    SetMessageBoxesEnabled(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
