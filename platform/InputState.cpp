#include "platform/InputState.h"

InputState Input;

MouseDevice::MouseDevice()
    : wheel(0), down{}, previous{}, event{}, cursorX(0), cursorY(0), stepX(0), stepY(0), pressX(0), pressY(0),
      lastPressTime(-1.0f), pressInterval(-1.0f)
{
}

int MouseDevice::IsButtonDown(int b) const
{
    if (b < 0 || b > 2) return 0;
    return down[b];
}
