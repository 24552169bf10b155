#pragma once
// The most heap memory a piece of work holds at once, measured through the address sanitizer's
// allocation hooks (the test build has the sanitizer). Without it nothing is measured.
#include <cstddef>

class AllocationPeak {
public:
    // Starts measuring from what is allocated now.
    AllocationPeak();
    // Bytes held above the starting point at the highest moment since.
    size_t Bytes() const;
    // False in a build without the sanitizer: Bytes() is then always 0.
    static bool Available();

private:
    long long start_;
};
