#pragma once
// The desktop's display, asked once: the size of its current mode.

// Width and height of the desktop's current display mode; false (outputs untouched) when no
// display can be reached, as in headless test runs.
bool GetDesktopDisplaySize(int* width, int* height);
