#pragma once
// The growth tool: a developer window for placing and tuning growth instances in a running
// level. It grows a "forest" where the camera looks, selects the instance nearest that point,
// edits the selected instance's parameters (the catalogue's tool parameters, copied whole into
// the instance after each edit), grows it again, rolls a new seed and deletes it. The growth
// catalogue builds the window when it is made, hidden (GrowthDB::BuildToolWindow, in
// GrowthTool.cpp); the debug tool bar's "Growth" button shows and hides it.
#include "host/Maths.h"

namespace GrowthTool {
// False until the window exists; else whether it is shown.
bool IsVisible();
void SetVisible(bool show);
// With a true argument, grows the selected instance again.
void GrowSelected(bool grow);
// Where the camera looks: its ray met with the ground plane y = 0, in world coordinates.
Vec3 ViewPoint();
}  // namespace GrowthTool
