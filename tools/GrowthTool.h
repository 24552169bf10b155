#pragma once
// The growth tool: a developer window for placing and tuning growth instances in a running
// level. It grows a "forest" where the camera looks, selects the instance nearest that point,
// edits the selected instance's parameters (the catalogue's tool parameters, copied whole into
// the instance after each edit), grows it again, rolls a new seed and deletes it. The tool
// builds its window for a growth catalogue when the catalogue is made, hidden, and frees it when
// the catalogue goes (LevelToolHooks); the debug tool bar's "Growth" button shows and hides it.
#include "host/Maths.h"

class GrowthDB;
class Window;

namespace GrowthTool {
// The window for the catalogue, hidden, registered with the window manager; nothing without a
// window manager or when the catalogue has one already.
void BuildWindow(GrowthDB& db);
void FreeWindow(GrowthDB& db);
// The catalogue's window; null when it has none.
Window* WindowOf(const GrowthDB& db);
// False until the window exists; else whether it is shown.
bool IsVisible();
void SetVisible(bool show);
// With a true argument, grows the selected instance again.
void GrowSelected(bool grow);
// Where the camera looks: its ray met with the ground plane y = 0, in world coordinates.
Vec3 ViewPoint();
}  // namespace GrowthTool
