#pragma once
// Installs a game seam for a scope and puts back the seam that was installed before: a world
// staged by the test, or (without an argument) the null seam, for a test that needs "no game"
// whatever an earlier test left installed.
#include "platform/GameSeam.h"

class ScopedGameSeam {
public:
    ScopedGameSeam() : ScopedGameSeam(nullptr) {}
    explicit ScopedGameSeam(GameSeam* seam) : saved_(&GetGameSeam()) { SetGameSeam(seam ? seam : &none_); }
    ~ScopedGameSeam() { SetGameSeam(saved_); }
    ScopedGameSeam(const ScopedGameSeam&) = delete;
    ScopedGameSeam& operator=(const ScopedGameSeam&) = delete;

private:
    NullGameSeam none_;
    GameSeam* saved_;
};
