// Damaged effect files kept from past crashes and floods (tests/data/bad-files/effect): each is
// refused with its messages, and the messages stay in proportion to the file.
#include "host/EffectFile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

TEST(BadTextFiles, EffectFilesAreRefusedWithOneMessageALine)
{
    struct Case {
        const char* file;
        const char* message;  // given once for every line that repeats a name
        size_t repeats;
    };
    const Case cases[] = {
        {"duplicate_technique_2000.fx", "error: a second technique named 'a'", 1999},
        {"duplicate_sampler_2000.fx", "error: a second @sampler block for 's'", 1999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string text = ReadTextFile(std::string("tests/data/bad-files/effect/") + c.file);
        ASSERT_FALSE(text.empty());
        EffectFile file;
        std::string errors;
        EXPECT_FALSE(file.Parse(text.data(), text.size(), c.file, nullptr, &errors));
        EXPECT_EQ(Count(errors, c.message), c.repeats);
        EXPECT_NE(errors.find(std::string(c.file) + "(2): " + c.message + "\n"), std::string::npos);
        EXPECT_LT(errors.size(), 20 * text.size()) << "messages grow with the file, not its square";
    }
}
