#include "interface/PowerBar.h"

PowerBar* ThePowerBar = nullptr;
