// The growth tool's window: a column of buttons and number boxes on a blue panel at the left
// of the screen, sized by the screen's width.
#include "tools/GrowthTool.h"

#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "host/Random.h"
#include "levelgen/Growth.h"
#include "mechanics/GameMechanics.h"
#include "platform/MathUtil.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "tools/ToolWindows.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <type_traits>

namespace {

GrowthDB* Owner = nullptr;
EditBox* SeedBox = nullptr;
// The window built for each catalogue there is.
std::map<const GrowthDB*, Window*> Windows;

// Every control needs the catalogue and a running game.
GrowthDB* Tool(const void* control)
{
    if (!control || !TheGame || !TheGrowthDB) return nullptr;
    return TheGrowthDB;
}

// The tool parameters, whole, into the selected instance.
void CopyToSelected(GrowthDB& db)
{
    if (db.selected) db.selected->parameters = db.toolParameters;
}

int GrowButton(void*, Button* button)
{
    GrowthDB* db = Tool(button);
    if (!db) return 1;
    if (!db->FindDefinition("forest")) return 1;
    GrowthInstance* instance = db->CreateInstance("forest", GrowthTool::ViewPoint(), false);
    if (!instance) return 1;
    CopyToSelected(*db);
    instance->Grow();
    return 1;
}

int SelectButton(void*, Button* button)
{
    GrowthDB* db = Tool(button);
    if (!db) return 1;
    const Vec3 at = GrowthTool::ViewPoint();
    GrowthInstance* nearest = nullptr;
    float best = 0.0f;
    for (GrowthInstance* instance : db->instances) {
        Vec3 apart = instance->centre - at;
        float d = Vec3Length(&apart);
        if (!nearest || d < best) {
            nearest = instance;
            best = d;
        }
    }
    db->selected = nearest;
    return 1;
}

// The number boxes: the text becomes the tool parameter, and the parameters go to the
// selected instance; it grows anew only on "Regen".
template <class T, T GrowthParams::*field> int NumberBox(void*, EditBox* box)
{
    GrowthDB* db = Tool(box);
    if (!db) return 1;
    if constexpr (std::is_integral<T>::value)
        db->toolParameters.*field = (T)atoi(box->GetText());
    else
        db->toolParameters.*field = (T)atof(box->GetText());
    CopyToSelected(*db);
    return 1;
}

int WeightBox(void*, EditBox* box, int index)
{
    GrowthDB* db = Tool(box);
    if (!db) return 1;
    db->toolParameters.weights[index] = (float)atof(box->GetText());
    CopyToSelected(*db);
    return 1;
}
int TreesBox(void* user, EditBox* box) { return WeightBox(user, box, 1); }
int PlantsBox(void* user, EditBox* box) { return WeightBox(user, box, 2); }
int RocksBox(void* user, EditBox* box) { return WeightBox(user, box, 3); }

int CircleBox(void*, Button* button)
{
    GrowthDB* db = Tool(button);
    if (!db) return 1;
    db->toolParameters.circle = db->toolParameters.circle ? 0 : 1;
    CopyToSelected(*db);
    return 1;
}

int RegenButton(void*, Button* button)
{
    GrowthDB* db = Tool(button);
    if (db && db->selected) db->selected->Grow();
    return 1;
}

// The seed goes to the selected instance alone, and seeds the generator.
int SeedEntered(void*, EditBox* box)
{
    GrowthDB* db = Tool(box);
    if (!db || !db->selected) return 1;
    db->selected->parameters.seed = atoi(box->GetText());
    SRand((unsigned)db->selected->parameters.seed);
    return 1;
}

int NewSeedButton(void*, Button* button)
{
    GrowthDB* db = Tool(button);
    if (!db || !db->selected) return 1;
    int seed = Rand();
    db->selected->parameters.seed = seed;
    SRand((unsigned)seed);
    if (SeedBox) {
        char text[16];
        snprintf(text, sizeof text, "%d", seed);
        SeedBox->SetText(text);
    }
    db->selected->Grow();
    return 1;
}

int DeleteButton(void*, Button* button)
{
    GrowthDB* db = Tool(button);
    if (!db || !db->selected) return 1;
    GrowthInstance* doomed = db->selected;
    for (auto it = db->instances.begin(); it != db->instances.end(); ++it)
        if (*it == doomed) {
            db->instances.erase(it);
            break;
        }
    delete doomed;  // gives its cells back and frees its meshes
    db->selected = nullptr;
    return 1;
}

}  // namespace

namespace GrowthTool {

void BuildWindow(GrowthDB& db)
{
    if (!WindowMgr || Windows.count(&db)) return;
    const GrowthParams& p = db.toolParameters;
    const int W = ScreenWidth(), H = ScreenHeight();
    const int pad = UnitW(8), rowH = UnitW(22), pitch = rowH + UnitW(4);
    const int labelW = UnitW(56), boxW = UnitW(64), columnW = labelW + boxW;
    const int left = (int)(W * 0.12890625f), top = (int)(H * 0.4166667f);
    const int rows = 12;

    ToolWindow window("GrowthTool");
    window.Add(new Window(left, top, columnW + 2 * pad, rows * pitch + 2 * pad - UnitW(4), "wframe_blue.dds"));
    const int x = left + pad, boxX = x + labelW;
    int y = top + pad;
    auto button = [&](const char* text, ButtonCallback press, const char* face, int at, int width) {
        return window.AddButton(text, press, face, at, y, width, rowH);
    };
    auto number = [&](const char* label, const char* value, EditBoxCallback entered) {
        EditBox* box = window.AddEditBox(label, value, boxX, y, boxW, rowH, entered);
        y += pitch;
        return box;
    };
    char text[32];
    button("Grow", GrowButton, "data/gui/button.dds", x, columnW);
    y += pitch;
    button("Select", SelectButton, "data/gui/button.dds", x, columnW);
    y += pitch;
    snprintf(text, sizeof text, "%.2f", p.density);
    number("pop", text, NumberBox<float, &GrowthParams::density>);
    snprintf(text, sizeof text, "%d", p.width);
    number("width", text, NumberBox<int, &GrowthParams::width>);
    snprintf(text, sizeof text, "%d", p.height);
    number("height", text, NumberBox<int, &GrowthParams::height>);
    snprintf(text, sizeof text, "%.2f", p.weights[1]);
    number("trees", text, TreesBox);
    snprintf(text, sizeof text, "%.2f", p.weights[2]);
    number("plants", text, PlantsBox);
    snprintf(text, sizeof text, "%.2f", p.weights[3]);
    number("rocks", text, RocksBox);
    window.AddLabel("circle", x, y, labelW, rowH);
    window.AddCheckBox("circle check", CircleBox, boxX, y, rowH, p.circle != 0);
    y += pitch;
    button("Regen", RegenButton, "data/gui/button_red.dds", x, columnW);
    y += pitch;
    snprintf(text, sizeof text, "%d", p.seed);
    SeedBox = window.AddEditBox("seed", text, boxX, y, boxW - rowH - UnitW(4), rowH, SeedEntered);
    button("%", NewSeedButton, "data/gui/button.dds", boxX + boxW - rowH, rowH);
    y += pitch;
    button("Delete", DeleteButton, "data/gui/button_red.dds", x, columnW);

    Windows[&db] = window.Finish();
    Owner = &db;
}

void FreeWindow(GrowthDB& db)
{
    auto found = Windows.find(&db);
    if (found == Windows.end()) return;
    ReleaseToolWindow(found->second);
    Windows.erase(found);
    if (Owner == &db) {
        Owner = nullptr;
        SeedBox = nullptr;
    }
}

Window* WindowOf(const GrowthDB& db)
{
    auto found = Windows.find(&db);
    return found == Windows.end() ? nullptr : found->second;
}

Vec3 ViewPoint()
{
    Vec3 hit = GameCamera.eye;
    IntersectRayPlane(GameCamera.eye, GameCamera.direction, Vec3(0.0f, 1.0f, 0.0f), 0.0f, &hit);
    hit.x = -hit.x;
    return hit;
}

bool IsVisible()
{
    Window* window = Owner ? WindowOf(*Owner) : nullptr;
    return window && window->IsVisible();
}

void SetVisible(bool show)
{
    if (Window* window = Owner ? WindowOf(*Owner) : nullptr) window->SetVisible(show);
}

void GrowSelected(bool grow)
{
    if (grow && TheGrowthDB && TheGrowthDB->selected) TheGrowthDB->selected->Grow();
}

}  // namespace GrowthTool
