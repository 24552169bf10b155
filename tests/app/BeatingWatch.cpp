// Every test of the whole game starts with a fresh watch of its units (BeatingWatch.h).
#include "tests/world/BeatingWatch.h"

namespace {

class FreshWatch : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { beatingwatch::TheWatch.Reset(); }
};

const bool installed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshWatch);
    return true;
}();

}  // namespace
