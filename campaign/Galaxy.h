#pragma once
// The galaxy of the campaign: its systems, planets and moons, and the body the player has
// accepted the next mission on. Only the question the level generator asks is here; the
// galaxy's issue builds the bodies, their generation and the map screen.
class Galaxy {
public:
    // The story mission index of the selected body; -1 when nothing is selected or the body
    // carries a random mission. Nothing can be selected until the galaxy map exists.
    static int GetSelectedStoryId();
};
