// Damaged configuration files kept from past reports (tests/data/bad-files/config): every value
// the game cannot use is named in the log with its line, and the file still reads.
#include "platform/ConfigFile.h"

#include "host/Log.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

TEST(BadTextFiles, ConfigFilesNameEveryBadValueAndReadOn)
{
    struct Case {
        const char* file;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"silent_garbage.cfg",
         {"WARNING: silent_garbage.cfg line 1: width value '1280px' is not a number, 640 is used\n",
          "WARNING: silent_garbage.cfg line 3: scrollSpeed value '3,5' is not a number, 0 is used\n",
          "WARNING: silent_garbage.cfg line 4: fullscreen value 'yes' is not a boolean, false is used\n",
          "WARNING: silent_garbage.cfg line 5: unknown key 'fulscreen'\n",
          "WARNING: silent_garbage.cfg line 6: SoundVolume value 9999 is out of range, 10 is used\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        LogCaptureBegin();
        auto config = std::make_unique<ConfigFile>((std::string("tests/data/bad-files/config/") + c.file).c_str());
        std::string log = LogCaptureEnd();
        for (const std::string& warning : c.warnings) EXPECT_NE(log.find(warning), std::string::npos) << warning << log;
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    }

    // Clamped where the key has a range, and read on to the end.
    auto config = std::make_unique<ConfigFile>("tests/data/bad-files/config/silent_garbage.cfg");
    EXPECT_EQ(config->SoundVolume, 10);
    EXPECT_FLOAT_EQ(config->far, 0.0f);
}
