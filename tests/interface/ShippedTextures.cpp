// Apart from the other interface tests: the texture generator's canvas types share names with
// the engine's maths.
#include "tests/gui/ShippedTextures.cpp"
