#pragma once
// A replay played to its verdict as fast as the world goes, drawing nothing: each pass is half a
// second of play on a clock of its own, and the verdict is the one line printed at the end. The
// program around it (the game, or the verifier of the simulation alone) says what a pass does
// besides: its messages, and how the game's state is updated.

class VerificationPasses {
public:
    virtual ~VerificationPasses() = default;
    // Before each pass: false when the program is to stop (it was closed).
    virtual bool BeginPass();
    // The game's state updated by the pass's time (0 while the game is paused).
    virtual void Update(float dt) = 0;
};

// Plays the replay that is playing to as far as it was recorded and prints its one line: 0 when
// it is the same game, 1 where it parts from it (or stands still, or the program stopped first).
int RunReplayVerification(VerificationPasses& program);
