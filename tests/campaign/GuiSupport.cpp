// The front end's tests stand in the GUI tests' world: the same recording painter, fonts and
// window manager.
#include "tests/gui/GuiTestSupport.cpp"
