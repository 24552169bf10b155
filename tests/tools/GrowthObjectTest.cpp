// One growth object at a time, as the developer's console places them: "growthdef" adds an
// object of a named definition to the selected growth area, "growth" turns the area to another
// definition and adds one of its objects, "envset" changes the environment and adds an object of
// the growth of its name. Names of nothing, or no area, change nothing.
#include "levelgen/Growth.h"
#include "terrain/Environment.h"
#include "tests/levelgen/PopulationTestSupport.h"
#include "tools/Console.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

bool OneOf(const GrowthDef* def, const IndexedMesh* mesh)
{
    for (const std::vector<IndexedMesh*>& list : def->lists)
        if (std::find(list.begin(), list.end(), mesh) != list.end()) return true;
    return false;
}

TEST_F(ShippedPopulationTest, TheConsolePlacesOneGrowthObjectOfADefinition)
{
    EXPECT_FALSE(Growth::PlaceObjectByName("forest")) << "no area selected";
    growth.toolParameters.width = growth.toolParameters.height = 12;
    GrowthInstance* area = growth.CreateInstance("forest", MapPointToWorld(60, 60), false);
    ASSERT_NE(area, nullptr);
    ASSERT_EQ(growth.selected, area);
    ASSERT_TRUE(area->objects.empty());

    char slots[GROUND_TEXTURE_SLOTS][256];
    memcpy(slots, GroundTextureSlots, sizeof slots);
    const Environment* before = Environment::GetCurrent();
    const std::string environment = before ? before->name : "forest";

    struct Step {
        const char* line;
        const char* definition;  // whose meshes the new object has; null: nothing placed
        const char* areaBecomes;
    } steps[] = {
        {"growthdef winter", "winter", "forest"},
        {"growthdef no_such_growth", nullptr, "forest"},
        {"growth desert", "desert", "desert"},
        {"envset marsh", "marsh", "desert"},
        {"envset no_such_place", nullptr, "desert"},
    };
    size_t count = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.line);
        RunConsoleLine(step.line);
        ASSERT_EQ(area->objects.size(), count + (step.definition ? 1 : 0));
        if (step.definition) {
            const GrowthObject& placed = area->objects.back();
            const GrowthDef* def = growth.FindDefinition(step.definition);
            ASSERT_NE(def, nullptr);
            EXPECT_NE(placed.mesh, nullptr);
            EXPECT_TRUE(OneOf(def, placed.mesh)) << "an object of " << step.definition;
            int column = -1, row = -1;
            ASSERT_TRUE(grid->WorldToCell(placed.position, &column, &row));
            if (placed.category != GROWTH_PLANT) {
                EXPECT_EQ(grid->GetCell(column, row)->occupant, area);
            }
            EXPECT_FALSE(area->merged.empty()) << "drawn with the area";
        }
        EXPECT_STREQ(area->definition->name, step.areaBecomes);
        count = area->objects.size();
    }
    EXPECT_STREQ(Environment::GetCurrent()->name, "marsh");

    TheTerrain.SetEnvironment(environment.c_str());
    memcpy(GroundTextureSlots, slots, sizeof slots);
}

}  // namespace
