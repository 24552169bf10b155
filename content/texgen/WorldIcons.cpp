// The icon sheets of the world: one cell of 64 pixels for every unit, building, upgrade and
// item the catalogues name, on a face whose rim tells the side (blue for the player's, rust
// for the scavengers', green for creatures', grey for neutral things and items). Each picture
// is a silhouette of the thing in its own colours, so a glance at a production button or an
// inventory slot tells what it is.
//
// The cells, in reading order, eight to a row (the scripts' iconsheet lines use these numbers):
// units      0 Builder, miner, heavy_miner, scout_bot, gunner_bot, rocket_bot, repair_bot,
//              flame_bot, 8 mortar_bot, arc_walker, heavy_tank, air_drone, scanner_bot,
//              carrier_bot; 16 scav_melee, scav_small, scav_leader, scav_brute, scav_flamer,
//              scav_boss_a, scav_boss_b, scav_boss_c, 24 scav_superMelee, scav_warlord,
//              scav_wheeler, scav_air_probe; 32 stump_crawler, cave_beast, burrower, nest_wasp,
//              mantis, spider, bio_blob, fire_bat, 40 nest_crawler, Elite_Mantis, Elite_Trex,
//              Elite_Winged_Beast, Elite_Scavenger
// buildings  0 power_generator, power_core, refinery, bot_factory, heavy_factory, fuel_pump,
//              control_tower, laser_turret, 8 gun_turret, missile_turret, mortar_turret,
//              plasma_turret, repair_station, bot_upgrader, recycler, research_lab,
//              16 build_node, radar_station, warp_platform, ore_silo, trade_post,
//              Scavenger_dropship, scav_turret, Scavenger_camp, 24 creature_nest, spawn_stump,
//              creature_cave, spawn_holes, spawn_nest, spawn_mantis, spawn_spider, spawn_bio,
//              32 spawn_flying, explosive_barrels, explosive_barrels_big, Scavenger_outpost,
//              Scavenger_stronghold, Scavenger_AA_Gun, weapons_cache,
//              40 upgrades: hull, weapon damage, armour, speed, shields, mining capacity,
//              mining load, fire, 48 acid
// items      0 the nine weapon kinds (laser, missile, electric, mortar, machine gun, flame,
//              acid, plasma, pulse), 9 upgrade module, hull, speed, shields, damage,
//              rate of fire, scavenger module, 16 crate, ore, fuel, credits, experience,
//              health, shields, large health, 24 large shields, cloak, enrichment, detector,
//              mine, freeze trap, unit blueprint, building blueprint, 32 journal, rock,
//              repair kit, instant build
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <cmath>
#include <vector>

namespace {

constexpr int CELL = 64;
const float S = (float)CELL;

struct Part {
    Shape shape;
    Colour colour;
};
using Figure = std::vector<Part>;

enum Side { PLAYER, SCAVENGER, CREATURE, NEUTRAL };

Canvas Face(Side side)
{
    Canvas face(CELL, CELL, Rgba(0.08f, 0.09f, 0.1f, 0.0f));
    Plane body = ShapeField(CELL, CELL, RoundedBox({1.5f, 1.5f}, {S - 1.5f, S - 1.5f}, S * 0.12f));
    const Colour tops[] = {Hex(0x2C3E52), Hex(0x4A3424), Hex(0x2A4424), Hex(0x3A3E44)};
    const Colour rims[] = {Hex(0x6A9AC8), Hex(0xC0703A), Hex(0x7AC060), Hex(0x8A9098)};
    FillLayer(face, body, [&](float, float v) { return Mix(tops[side], Hex(0x0E1014), v); });
    BevelLayer(face, body, S * 0.06f, 0.4f);
    OutlineLayer(face, body, 2.0f, rims[side]);
    return face;
}

void Draw(Canvas& face, const Figure& figure)
{
    for (const Part& part : figure) {
        Plane shadow = ShapeField(CELL, CELL, Moved(part.shape, {1.5f, 2.0f}));
        GlowLayer(face, shadow, 2.5f, Rgba(0, 0, 0, 0.6f));
    }
    for (const Part& part : figure) {
        Plane field = ShapeField(CELL, CELL, part.shape);
        FillLayer(face, field, part.colour);
        BevelLayer(face, field, 2.0f, 0.45f);
    }
}

Shape Box(float x0, float y0, float x1, float y1, float round = 0.0f)
{
    return RoundedBox({S * x0, S * y0}, {S * x1, S * y1}, S * round);
}

Shape Line(float x0, float y0, float x1, float y1, float thickness)
{
    return Segment({S * x0, S * y0}, {S * x1, S * y1}, S * thickness);
}

Shape Dot(float x, float y, float r)
{
    return Circle({S * x, S * y}, S * r);
}

const Colour DARK = Hex(0x2A2E34);
const Colour GLOW = Hex(0x6AE8FF);
const Colour LAMP = Hex(0xFF3A2A);

// ---- Units

// A bot on two legs: its body, head and gun; big bots fill the cell.
Figure Biped(Colour body, Colour trim, float size, bool melee)
{
    float k = size, cx = 0.5f;
    Figure f;
    for (float side : {-1.0f, 1.0f}) {
        f.push_back({Line(cx + side * 0.12f * k, 0.55f, cx + side * 0.16f * k, 0.72f, 0.06f * k), DARK});
        f.push_back({Line(cx + side * 0.16f * k, 0.72f, cx + side * 0.14f * k, 0.86f, 0.05f * k), body});
        f.push_back({Box(cx + side * 0.14f * k - 0.07f * k, 0.84f, cx + side * 0.14f * k + 0.07f * k, 0.9f, 0.01f), DARK});
    }
    f.push_back({Box(cx - 0.2f * k, 0.62f - 0.24f * k, cx + 0.2f * k, 0.62f, 0.05f), body});
    f.push_back({Box(cx - 0.11f * k, 0.62f - 0.38f * k, cx + 0.11f * k, 0.62f - 0.25f * k, 0.03f), trim});
    f.push_back({Box(cx - 0.07f * k, 0.62f - 0.33f * k, cx + 0.07f * k, 0.62f - 0.3f * k), GLOW});
    if (melee) {
        for (float side : {-1.0f, 1.0f})
            f.push_back({Line(cx + side * 0.22f * k, 0.45f, cx + side * 0.36f * k, 0.28f, 0.035f), trim});
    } else {
        f.push_back({Line(cx - 0.18f * k, 0.48f, cx - 0.4f * k, 0.44f, 0.05f), DARK});
    }
    return f;
}

Figure Tracked(Colour body, Colour trim, bool turret, bool cab)
{
    Figure f = {{Box(0.14f, 0.66f, 0.86f, 0.84f, 0.08f), DARK}, {Box(0.18f, 0.5f, 0.82f, 0.68f, 0.03f), body}};
    for (int i = 0; i < 4; ++i) f.push_back({Dot(0.24f + 0.17f * i, 0.75f, 0.05f), trim});
    if (turret) {
        f.push_back({Box(0.34f, 0.36f, 0.62f, 0.52f, 0.04f), trim});
        f.push_back({Line(0.6f, 0.42f, 0.88f, 0.38f, 0.05f), DARK});
    }
    if (cab) f.push_back({Box(0.22f, 0.34f, 0.44f, 0.52f, 0.03f), trim});
    return f;
}

Figure Wheeled(Colour body, Colour trim, bool dish)
{
    Figure f = {{Box(0.16f, 0.46f, 0.84f, 0.68f, 0.06f), body}};
    for (float x : {0.27f, 0.73f}) f.push_back({Dot(x, 0.72f, 0.12f), DARK});
    if (dish) {
        f.push_back({Line(0.5f, 0.46f, 0.5f, 0.3f, 0.03f), DARK});
        f.push_back({Arc({S * 0.5f, S * 0.18f}, S * 0.16f, S * 0.05f, 20.0f, 160.0f), trim});
    } else {
        f.push_back({Box(0.38f, 0.34f, 0.62f, 0.48f, 0.03f), trim});
        f.push_back({Line(0.6f, 0.4f, 0.86f, 0.36f, 0.04f), DARK});
    }
    return f;
}

Figure Hover(Colour body, Colour trim, bool cargo)
{
    Figure f = {{Box(0.12f, 0.66f, 0.88f, 0.74f, 0.04f), GLOW}, {Box(0.16f, 0.46f, 0.84f, 0.68f, 0.08f), body}};
    if (cargo)
        f.push_back({Box(0.2f, 0.26f, 0.8f, 0.48f, 0.04f), trim});
    else
        f.push_back({Line(0.4f, 0.44f, 0.75f, 0.3f, 0.045f), trim});
    return f;
}

Figure Flyer(Colour body, Colour trim, int kind)
{
    Figure f;
    if (kind == 0) {
        for (float x : {0.2f, 0.8f}) {
            f.push_back({Line(0.5f, 0.5f, x, 0.38f, 0.035f), DARK});
            f.push_back({Box(x - 0.14f, 0.33f, x + 0.14f, 0.37f), trim});
        }
        f.push_back({Box(0.34f, 0.44f, 0.66f, 0.62f, 0.06f), body});
    } else if (kind == 3) {
        f.push_back({Dot(0.5f, 0.46f, 0.2f), body});
        f.push_back({Ring({S * 0.5f, S * 0.46f}, S * 0.28f, S * 0.04f), trim});
        f.push_back({Dot(0.5f, 0.5f, 0.07f), LAMP});
    } else {
        float span = kind == 1 ? 0.32f : 0.42f;
        for (float side : {-1.0f, 1.0f})
            f.push_back({Polygon({{S * 0.5f, S * 0.45f}, {S * (0.5f + side * span), S * 0.25f}, {S * (0.5f + side * span * 0.8f), S * 0.5f}}), trim});
        f.push_back({Box(0.42f, 0.32f, 0.58f, 0.72f, 0.08f), body});
        f.push_back({Dot(0.5f, 0.3f, 0.08f), body});
    }
    return f;
}

Figure Insect(Colour body, Colour legs, int pairs, bool claws)
{
    Figure f;
    for (int i = 0; i < pairs; ++i) {
        float y = 0.45f + 0.3f * i / std::max(1, pairs - 1) - 0.1f;
        for (float side : {-1.0f, 1.0f}) {
            f.push_back({Line(0.5f, y, 0.5f + side * 0.26f, y - 0.08f, 0.025f), legs});
            f.push_back({Line(0.5f + side * 0.26f, y - 0.08f, 0.5f + side * 0.36f, y + 0.18f, 0.02f), legs});
        }
    }
    f.push_back({Box(0.36f, 0.36f, 0.64f, 0.76f, 0.12f), body});
    f.push_back({Dot(0.5f, 0.3f, 0.11f), body});
    if (claws)
        for (float side : {-1.0f, 1.0f}) f.push_back({Line(0.5f + side * 0.08f, 0.32f, 0.5f + side * 0.2f, 0.12f, 0.03f), legs});
    f.push_back({Dot(0.46f, 0.27f, 0.025f), LAMP});
    f.push_back({Dot(0.54f, 0.27f, 0.025f), LAMP});
    return f;
}

Figure Beast(Colour body, Colour belly, float size)
{
    float k = size;
    Figure f;
    for (float x : {0.3f, 0.42f, 0.62f, 0.74f}) f.push_back({Line(x, 0.6f, x, 0.84f, 0.045f * k), body});
    f.push_back({Box(0.2f, 0.42f, 0.8f, 0.66f, 0.1f), body});
    f.push_back({Box(0.24f, 0.58f, 0.76f, 0.68f, 0.04f), belly});
    f.push_back({Dot(0.82f, 0.44f, 0.12f * k), body});
    f.push_back({Dot(0.86f, 0.42f, 0.025f), LAMP});
    return f;
}

Figure Worm(Colour body, Colour accent)
{
    Figure f;
    const float spots[5][3] = {{0.22f, 0.78f, 0.11f}, {0.38f, 0.74f, 0.12f}, {0.52f, 0.64f, 0.12f}, {0.6f, 0.48f, 0.11f}, {0.62f, 0.3f, 0.12f}};
    for (int i = 0; i < 5; ++i) f.push_back({Dot(spots[i][0], spots[i][1], spots[i][2]), i % 2 ? accent : body});
    f.push_back({Dot(0.62f, 0.3f, 0.045f), Hex(0x101010)});
    return f;
}

Figure Blob(Colour body, Colour accent)
{
    return {{Box(0.16f, 0.4f, 0.84f, 0.84f, 0.22f), body}, {Dot(0.5f, 0.5f, 0.14f), accent},
            {Dot(0.42f, 0.5f, 0.03f), Hex(0xFFFF60)}, {Dot(0.58f, 0.5f, 0.03f), Hex(0xFFFF60)}};
}

// The miner and the gunner come out of the same factory and stand on the same legs: the miner
// is hazard yellow with its ore hopper on its back and a drill for an arm, the gunner steel blue
// with a long gun, so the factory's two buttons tell them apart at a glance.
Figure MinerFigure()
{
    Figure f = Biped(Hex(0xE8C020), Hex(0x4A3C20), 0.8f, true);
    f.push_back({Box(0.6f, 0.2f, 0.9f, 0.46f, 0.03f), Hex(0x5A4A30)});
    for (float x : {0.67f, 0.75f, 0.83f}) f.push_back({Dot(x, 0.25f, 0.045f), Hex(0xB8C4CC)});
    f.push_back({Polygon({{S * 0.3f, S * 0.44f}, {S * 0.3f, S * 0.58f}, {S * 0.06f, S * 0.62f}}), Hex(0xC8CED6)});
    return f;
}

Figure GunnerFigure()
{
    Figure f = Biped(Hex(0x3E5E92), Hex(0xD8E0EC), 0.9f, false);
    f.push_back({Line(0.36f, 0.47f, 0.04f, 0.42f, 0.055f), Hex(0x22262C)});
    f.push_back({Dot(0.05f, 0.42f, 0.06f), Hex(0xFF8A2A)});
    return f;
}

struct UnitIcon {
    Side side;
    Figure figure;
};

std::vector<UnitIcon> UnitIcons()
{
    const Colour steel = Hex(0x6A7A8C), rust = Hex(0x8A5030), grime = Hex(0xB8A040);
    std::vector<UnitIcon> icons(48, UnitIcon{NEUTRAL, {}});
    auto put = [&](int cell, Side side, Figure figure) { icons[cell] = {side, figure}; };
    put(0, PLAYER, Tracked(Hex(0xD8B026), Hex(0xB87018), false, true));
    put(1, PLAYER, MinerFigure());
    put(2, PLAYER, Tracked(Hex(0x9E8040), Hex(0xD0A038), false, false));
    put(3, PLAYER, Biped(Hex(0x34A098), Hex(0xB8E8DC), 0.7f, false));
    put(4, PLAYER, GunnerFigure());
    put(5, PLAYER, Biped(Hex(0x667F50), Hex(0xA0A880), 0.95f, false));
    put(6, PLAYER, Hover(Hex(0xD0D8E0), Hex(0x40C050), false));
    put(7, PLAYER, Biped(Hex(0xB0401E), Hex(0xE88C26), 1.0f, false));
    put(8, PLAYER, Tracked(Hex(0x807A52), Hex(0xA49E72), true, false));
    put(9, PLAYER, Biped(Hex(0x664C98), Hex(0xC0B4E6), 0.85f, false));
    put(10, PLAYER, Tracked(Hex(0x334872), Hex(0x6680B4), true, false));
    put(11, PLAYER, Flyer(Hex(0x80B4E6), steel, 0));
    put(12, PLAYER, Wheeled(Hex(0xCCD0D8), steel, true));
    put(13, PLAYER, Hover(Hex(0x5A6672), Hex(0x8C72C0), true));
    put(16, SCAVENGER, Biped(rust, grime, 0.8f, true));
    put(17, SCAVENGER, Biped(Hex(0x746C5C), rust, 0.65f, false));
    put(18, SCAVENGER, Biped(Hex(0x5A3822), grime, 0.9f, false));
    put(19, SCAVENGER, Biped(rust, Hex(0x746C5C), 1.15f, true));
    put(20, SCAVENGER, Biped(Hex(0x746C5C), grime, 0.95f, false));
    put(21, SCAVENGER, Biped(rust, grime, 1.25f, false));
    put(22, SCAVENGER, Biped(Hex(0x746C5C), rust, 1.2f, false));
    put(23, SCAVENGER, Biped(Hex(0x5A3822), Hex(0x8074B4), 1.25f, false));
    put(24, SCAVENGER, Biped(rust, grime, 1.3f, true));
    put(25, SCAVENGER, Biped(Hex(0x5A3822), Hex(0xD8B034), 1.4f, false));
    put(26, SCAVENGER, Wheeled(rust, grime, false));
    put(27, SCAVENGER, Flyer(Hex(0x746C5C), rust, 3));
    put(32, CREATURE, Insect(Hex(0x614226), Hex(0x4C7234), 3, false));
    put(33, CREATURE, Beast(Hex(0x736E6B), Hex(0x9A8C80), 1.0f));
    put(34, CREATURE, Worm(Hex(0x9A6A60), Hex(0xC08C80)));
    put(35, CREATURE, Flyer(Hex(0xD8B418), Hex(0xC8E0FF), 1));
    put(36, CREATURE, Insect(Hex(0x5AA640), Hex(0x3C7226), 2, true));
    put(37, CREATURE, Insect(Hex(0x4C2E5A), Hex(0x26182A), 4, false));
    put(38, CREATURE, Blob(Hex(0x4CCC66), Hex(0x9AFF80)));
    put(39, CREATURE, Flyer(Hex(0x721E14), Hex(0xB2401A), 2));
    put(40, CREATURE, Beast(Hex(0xD8CCAE), Hex(0x9E3840), 0.8f));
    put(41, CREATURE, Insect(Hex(0xA63426), Hex(0x4C1A14), 2, true));
    // The dinosaur stands on two legs: a beast with its forelegs left out.
    Figure trex = Beast(Hex(0x4C6038), Hex(0x8C8058), 1.3f);
    trex.erase(trex.begin(), trex.begin() + 2);
    trex.push_back({Line(0.2f, 0.52f, 0.04f, 0.66f, 0.06f), Hex(0x4C6038)});
    put(42, CREATURE, trex);
    put(43, CREATURE, Flyer(Hex(0x403048), Hex(0x724C80), 2));
    put(44, SCAVENGER, Biped(Hex(0x282424), LAMP, 1.4f, false));
    return icons;
}

// ---- Buildings

Figure Plate()
{
    return {{Box(0.1f, 0.78f, 0.9f, 0.88f, 0.02f), Hex(0x7A7A76)}};
}

Figure With(Figure base, const Figure& more)
{
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

Figure Turret(Colour barrel, Colour head)
{
    return With(Plate(), {{Box(0.34f, 0.56f, 0.66f, 0.8f, 0.04f), Hex(0x6A7A8C)},
                          {Box(0.3f, 0.4f, 0.7f, 0.58f, 0.04f), head},
                          {Line(0.66f, 0.48f, 0.92f, 0.44f, 0.05f), barrel}});
}

Figure Upgrade(const Shape& symbol, Colour colour)
{
    return {{Polygon({{S * 0.5f, S * 0.14f}, {S * 0.78f, S * 0.42f}, {S * 0.6f, S * 0.42f}, {S * 0.6f, S * 0.56f}, {S * 0.4f, S * 0.56f}, {S * 0.4f, S * 0.42f}, {S * 0.22f, S * 0.42f}}), Hex(0x6AE86A)},
            {symbol, colour}};
}

std::vector<UnitIcon> BuildingIcons()
{
    const Colour steel = Hex(0x6A7A8C), panel = Hex(0x8E9AA8), orange = Hex(0xE08A2A), violet = Hex(0x9A66E6);
    const Colour rust = Hex(0x8A5030), grime = Hex(0xB8A040), bone = Hex(0xD8CCAE), flesh = Hex(0x9E3840);
    const Colour bark = Hex(0x614226), rock = Hex(0x736E66), moss = Hex(0x4C7234);
    std::vector<UnitIcon> icons(56, UnitIcon{NEUTRAL, {}});
    auto put = [&](int cell, Side side, Figure figure) { icons[cell] = {side, figure}; };
    put(0, PLAYER, With(Plate(), {{Box(0.32f, 0.3f, 0.68f, 0.8f, 0.06f), steel}, {Box(0.3f, 0.44f, 0.7f, 0.48f), GLOW}, {Box(0.3f, 0.6f, 0.7f, 0.64f), GLOW}, {Line(0.25f, 0.26f, 0.75f, 0.26f, 0.03f), panel}}));
    put(1, PLAYER, With(Plate(), {{Box(0.14f, 0.22f, 0.32f, 0.8f, 0.05f), steel}, {Box(0.68f, 0.22f, 0.86f, 0.8f, 0.05f), steel}, {Dot(0.5f, 0.5f, 0.16f), GLOW}}));
    put(2, PLAYER, With(Plate(), {{Polygon({{S * 0.22f, S * 0.24f}, {S * 0.78f, S * 0.24f}, {S * 0.58f, S * 0.5f}, {S * 0.42f, S * 0.5f}}), Hex(0xC89A38)}, {Box(0.3f, 0.5f, 0.7f, 0.8f, 0.03f), steel}, {Box(0.74f, 0.2f, 0.82f, 0.8f), DARK}}));
    put(3, PLAYER, With(Plate(), {{Box(0.16f, 0.32f, 0.84f, 0.8f, 0.2f), steel}, {Box(0.32f, 0.52f, 0.68f, 0.8f, 0.02f), DARK}, {Line(0.34f, 0.48f, 0.66f, 0.48f, 0.03f), orange}}));
    put(4, PLAYER, With(Plate(), {{Box(0.1f, 0.34f, 0.48f, 0.8f, 0.16f), steel}, {Box(0.52f, 0.34f, 0.9f, 0.8f, 0.16f), steel}, {Line(0.1f, 0.24f, 0.9f, 0.24f, 0.03f), orange}}));
    put(5, PLAYER, With(Plate(), {{Polygon({{S * 0.5f, S * 0.12f}, {S * 0.7f, S * 0.8f}, {S * 0.3f, S * 0.8f}}), DARK}, {Line(0.36f, 0.5f, 0.64f, 0.5f, 0.03f), orange}, {Line(0.41f, 0.32f, 0.59f, 0.32f, 0.03f), orange}}));
    put(6, PLAYER, With(Plate(), {{Box(0.42f, 0.3f, 0.58f, 0.8f, 0.03f), steel}, {Box(0.34f, 0.2f, 0.66f, 0.34f, 0.03f), panel}, {Box(0.36f, 0.25f, 0.64f, 0.29f), GLOW}, {Dot(0.56f, 0.1f, 0.03f), LAMP}}));
    put(7, PLAYER, Turret(Hex(0xFF5A4A), panel));
    put(8, PLAYER, Turret(DARK, panel));
    put(9, PLAYER, Turret(orange, steel));
    put(10, PLAYER, Turret(Hex(0x807A52), steel));
    put(11, PLAYER, Turret(violet, panel));
    put(12, PLAYER, With(Plate(), {{Box(0.42f, 0.3f, 0.58f, 0.74f), Hex(0x4CD860)}, {Box(0.28f, 0.44f, 0.72f, 0.6f), Hex(0x4CD860)}}));
    put(13, PLAYER, With(Plate(), {{Box(0.14f, 0.24f, 0.24f, 0.8f), steel}, {Box(0.76f, 0.24f, 0.86f, 0.8f), steel}, {Box(0.14f, 0.2f, 0.86f, 0.28f), steel}, {Ring({S * 0.5f, S * 0.56f}, S * 0.16f, S * 0.04f), GLOW}}));
    put(14, PLAYER, With(Plate(), {{Box(0.18f, 0.44f, 0.82f, 0.8f, 0.03f), Hex(0x746C5C)}, {Arc({S * 0.5f, S * 0.34f}, S * 0.16f, S * 0.04f, 200.0f, 340.0f), Hex(0x6AE86A)}}));
    put(15, PLAYER, With(Plate(), {{Box(0.16f, 0.42f, 0.84f, 0.8f, 0.3f), panel}, {Box(0.16f, 0.56f, 0.84f, 0.6f), violet}, {Line(0.5f, 0.42f, 0.5f, 0.16f, 0.02f), DARK}, {Dot(0.5f, 0.15f, 0.04f), violet}}));
    put(16, PLAYER, With(Plate(), {{Polygon({{S * 0.44f, S * 0.8f}, {S * 0.56f, S * 0.8f}, {S * 0.52f, S * 0.36f}, {S * 0.48f, S * 0.36f}}), steel}, {Polygon({{S * 0.5f, S * 0.12f}, {S * 0.6f, S * 0.26f}, {S * 0.5f, S * 0.4f}, {S * 0.4f, S * 0.26f}}), GLOW}}));
    put(17, PLAYER, With(Plate(), {{Line(0.5f, 0.8f, 0.5f, 0.46f, 0.03f), DARK}, {Arc({S * 0.5f, S * 0.36f}, S * 0.24f, S * 0.07f, 10.0f, 170.0f), panel}, {Dot(0.5f, 0.5f, 0.03f), LAMP}}));
    put(18, PLAYER, With(Plate(), {{Ring({S * 0.5f, S * 0.56f}, S * 0.26f, S * 0.05f), violet}, {Box(0.2f, 0.66f, 0.8f, 0.8f, 0.04f), steel}}));
    put(19, PLAYER, With(Plate(), {{Box(0.36f, 0.34f, 0.64f, 0.8f, 0.03f), panel}, {Polygon({{S * 0.34f, S * 0.34f}, {S * 0.66f, S * 0.34f}, {S * 0.5f, S * 0.18f}}), steel}, {Box(0.35f, 0.52f, 0.65f, 0.56f), Hex(0xC89A38)}}));
    put(20, PLAYER, With(Plate(), {{Box(0.14f, 0.58f, 0.48f, 0.8f, 0.02f), orange}, {Box(0.52f, 0.58f, 0.86f, 0.8f, 0.02f), steel}, {Box(0.3f, 0.36f, 0.64f, 0.58f, 0.02f), GLOW}, {Dot(0.8f, 0.3f, 0.06f), Hex(0x4CD860)}}));
    put(21, SCAVENGER, {{Polygon({{S * 0.08f, S * 0.6f}, {S * 0.3f, S * 0.36f}, {S * 0.86f, S * 0.4f}, {S * 0.94f, S * 0.56f}, {S * 0.8f, S * 0.68f}, {S * 0.14f, S * 0.7f}}), rust}, {Line(0.3f, 0.7f, 0.24f, 0.86f, 0.03f), DARK}, {Line(0.7f, 0.68f, 0.76f, 0.86f, 0.03f), DARK}, {Dot(0.9f, 0.5f, 0.04f), LAMP}});
    put(22, SCAVENGER, Turret(DARK, rust));
    put(23, SCAVENGER, {{Polygon({{S * 0.16f, S * 0.8f}, {S * 0.42f, S * 0.3f}, {S * 0.68f, S * 0.8f}}), grime}, {Box(0.64f, 0.56f, 0.86f, 0.8f), rust}, {Dot(0.75f, 0.5f, 0.05f), LAMP}});
    put(24, CREATURE, {{Box(0.12f, 0.5f, 0.88f, 0.86f, 0.2f), flesh}, {Dot(0.34f, 0.5f, 0.09f), bone}, {Dot(0.56f, 0.44f, 0.1f), bone}, {Dot(0.74f, 0.54f, 0.08f), bone}});
    put(25, CREATURE, {{Box(0.26f, 0.34f, 0.74f, 0.84f, 0.04f), bark}, {Box(0.32f, 0.3f, 0.68f, 0.38f, 0.04f), Hex(0x101010)}, {Line(0.26f, 0.8f, 0.1f, 0.88f, 0.04f), bark}, {Line(0.74f, 0.8f, 0.9f, 0.88f, 0.04f), bark}});
    put(26, CREATURE, {{Box(0.1f, 0.34f, 0.9f, 0.88f, 0.24f), rock}, {Box(0.36f, 0.56f, 0.64f, 0.88f, 0.14f), Hex(0x101010)}});
    put(27, CREATURE, {{Box(0.1f, 0.62f, 0.46f, 0.84f, 0.1f), bark}, {Box(0.54f, 0.56f, 0.9f, 0.8f, 0.1f), bark}, {Dot(0.28f, 0.66f, 0.07f), Hex(0x101010)}, {Dot(0.72f, 0.6f, 0.07f), Hex(0x101010)}});
    put(28, CREATURE, {{Line(0.2f, 0.88f, 0.5f, 0.2f, 0.03f), bark}, {Line(0.8f, 0.88f, 0.5f, 0.2f, 0.03f), bark}, {Box(0.32f, 0.22f, 0.68f, 0.66f, 0.16f), Hex(0xD8B034)}, {Line(0.34f, 0.38f, 0.66f, 0.38f, 0.03f), Hex(0x8A6A20)}, {Line(0.34f, 0.52f, 0.66f, 0.52f, 0.03f), Hex(0x8A6A20)}});
    put(29, CREATURE, {{Line(0.3f, 0.86f, 0.3f, 0.4f, 0.025f), moss}, {Line(0.6f, 0.86f, 0.62f, 0.3f, 0.025f), moss}, {Dot(0.3f, 0.38f, 0.1f), Hex(0x5AA640)}, {Dot(0.62f, 0.28f, 0.1f), Hex(0x5AA640)}, {Box(0.1f, 0.8f, 0.9f, 0.9f, 0.04f), moss}});
    put(30, CREATURE, {{Box(0.14f, 0.62f, 0.86f, 0.88f, 0.12f), rock}, {Ring({S * 0.5f, S * 0.42f}, S * 0.24f, S * 0.015f), bone}, {Ring({S * 0.5f, S * 0.42f}, S * 0.12f, S * 0.015f), bone}, {Line(0.5f, 0.14f, 0.5f, 0.7f, 0.015f), bone}, {Line(0.22f, 0.42f, 0.78f, 0.42f, 0.015f), bone}});
    put(31, CREATURE, {{Box(0.32f, 0.18f, 0.68f, 0.74f, 0.18f), Hex(0x6AE880)}, {Box(0.12f, 0.7f, 0.88f, 0.88f, 0.08f), Hex(0x405448)}});
    put(32, CREATURE, {{Polygon({{S * 0.3f, S * 0.88f}, {S * 0.46f, S * 0.1f}, {S * 0.54f, S * 0.1f}, {S * 0.7f, S * 0.88f}}), Hex(0x2A2626)}, {Line(0.48f, 0.4f, 0.54f, 0.6f, 0.02f), Hex(0xFF7A1A)}, {Line(0.52f, 0.2f, 0.48f, 0.34f, 0.02f), Hex(0xFF7A1A)}});
    put(33, NEUTRAL, {{Box(0.2f, 0.4f, 0.44f, 0.82f, 0.04f), LAMP}, {Box(0.56f, 0.46f, 0.8f, 0.82f, 0.04f), LAMP}, {Box(0.2f, 0.5f, 0.44f, 0.54f), grime}, {Box(0.56f, 0.56f, 0.8f, 0.6f), grime}});
    put(34, NEUTRAL, {{Box(0.14f, 0.26f, 0.5f, 0.86f, 0.05f), LAMP}, {Box(0.54f, 0.34f, 0.88f, 0.86f, 0.05f), LAMP}, {Box(0.14f, 0.4f, 0.5f, 0.45f), grime}, {Box(0.54f, 0.48f, 0.88f, 0.53f), grime}});
    put(35, SCAVENGER, {{Polygon({{S * 0.2f, S * 0.8f}, {S * 0.4f, S * 0.4f}, {S * 0.6f, S * 0.8f}}), grime}, {Box(0.56f, 0.62f, 0.84f, 0.8f), rust}});
    put(36, SCAVENGER, {{Box(0.1f, 0.5f, 0.9f, 0.84f, 0.02f), rust}, {Box(0.12f, 0.3f, 0.26f, 0.84f), Hex(0x746C5C)}, {Box(0.74f, 0.3f, 0.88f, 0.84f), Hex(0x746C5C)}, {Box(0.36f, 0.34f, 0.64f, 0.6f), grime}, {Dot(0.19f, 0.26f, 0.04f), LAMP}, {Dot(0.81f, 0.26f, 0.04f), LAMP}});
    put(37, SCAVENGER, With(Plate(), {{Box(0.34f, 0.56f, 0.66f, 0.8f, 0.04f), rust}, {Box(0.3f, 0.4f, 0.7f, 0.58f, 0.04f), Hex(0x746C5C)}, {Line(0.6f, 0.46f, 0.86f, 0.2f, 0.05f), LAMP}}));
    put(38, SCAVENGER, {{Box(0.14f, 0.5f, 0.5f, 0.84f, 0.02f), Hex(0x60683E)}, {Box(0.5f, 0.56f, 0.86f, 0.84f, 0.02f), Hex(0x60683E)}, {Box(0.3f, 0.26f, 0.7f, 0.52f, 0.02f), Hex(0x60683E)}, {Box(0.3f, 0.36f, 0.7f, 0.4f), grime}});
    // The bots' upgrades: an arrow up over what they improve.
    put(40, PLAYER, Upgrade(Box(0.3f, 0.6f, 0.7f, 0.84f, 0.04f), steel));
    put(41, PLAYER, Upgrade(Line(0.28f, 0.74f, 0.74f, 0.7f, 0.05f), Hex(0xFF5A4A)));
    put(42, PLAYER, Upgrade(Polygon({{S * 0.3f, S * 0.6f}, {S * 0.7f, S * 0.6f}, {S * 0.66f, S * 0.8f}, {S * 0.5f, S * 0.88f}, {S * 0.34f, S * 0.8f}}), panel));
    put(43, PLAYER, Upgrade(Polygon({{S * 0.28f, S * 0.62f}, {S * 0.56f, S * 0.62f}, {S * 0.72f, S * 0.74f}, {S * 0.56f, S * 0.86f}, {S * 0.28f, S * 0.86f}, {S * 0.42f, S * 0.74f}}), Hex(0x80B4E6)));
    put(44, PLAYER, Upgrade(Arc({S * 0.5f, S * 0.86f}, S * 0.2f, S * 0.05f, 200.0f, 340.0f), GLOW));
    put(45, PLAYER, Upgrade(Box(0.3f, 0.6f, 0.7f, 0.86f, 0.02f), Hex(0xC89A38)));
    put(46, PLAYER, Upgrade(Line(0.32f, 0.84f, 0.68f, 0.62f, 0.05f), Hex(0xC89A38)));
    put(47, PLAYER, Upgrade(Polygon({{S * 0.5f, S * 0.58f}, {S * 0.66f, S * 0.86f}, {S * 0.34f, S * 0.86f}}), Hex(0xFF7A1A)));
    put(48, PLAYER, Upgrade(Circle({S * 0.5f, S * 0.76f}, S * 0.1f), Hex(0x8AFF40)));
    return icons;
}

// ---- Items

Figure Cannister(Colour band, Colour light, float size)
{
    float k = size;
    return {{Box(0.5f - 0.13f * k, 0.5f - 0.32f * k, 0.5f + 0.13f * k, 0.5f + 0.32f * k, 0.05f), Hex(0x9098A0)},
            {Box(0.5f - 0.14f * k, 0.5f - 0.06f * k, 0.5f + 0.14f * k, 0.5f + 0.1f * k), band},
            {Dot(0.5f, 0.5f - 0.38f * k, 0.05f * k), light}};
}

// What the heal key uses wears the health mark, a red cross on a white badge; nothing else in
// the bag does, so the key's item is the one that looks like it.
Figure HealthCannister(float size)
{
    const float k = size, y = 0.52f;
    const Colour red = Hex(0xD82620);
    Figure figure = Cannister(Hex(0xE6E6E6), Hex(0xFF8080), size);
    figure.push_back({Dot(0.5f, y, 0.15f * k), Hex(0xF2F2F2)});
    figure.push_back({Box(0.5f - 0.035f * k, y - 0.11f * k, 0.5f + 0.035f * k, y + 0.11f * k), red});
    figure.push_back({Box(0.5f - 0.11f * k, y - 0.035f * k, 0.5f + 0.11f * k, y + 0.035f * k), red});
    return figure;
}

Figure Module(Colour light, Colour shell)
{
    return {{Box(0.2f, 0.3f, 0.8f, 0.72f, 0.06f), shell}, {Box(0.3f, 0.4f, 0.7f, 0.62f, 0.03f), DARK}, {Dot(0.5f, 0.51f, 0.07f), light}};
}

Figure Crate(Colour mark)
{
    return {{Box(0.18f, 0.3f, 0.82f, 0.78f, 0.03f), Hex(0x8C6638)}, {Box(0.16f, 0.26f, 0.84f, 0.36f, 0.02f), Hex(0x6A4A28)}, {Box(0.42f, 0.46f, 0.58f, 0.62f, 0.02f), mark}};
}

std::vector<UnitIcon> ItemIcons()
{
    const Colour metal = Hex(0x9098A0);
    std::vector<UnitIcon> icons(40, UnitIcon{NEUTRAL, {}});
    auto put = [&](int cell, Figure figure) { icons[cell] = {NEUTRAL, figure}; };
    put(0, {{Box(0.14f, 0.48f, 0.4f, 0.62f, 0.03f), metal}, {Line(0.4f, 0.52f, 0.9f, 0.52f, 0.02f), Hex(0xFF4A3A)}});
    put(1, {{Polygon({{S * 0.14f, S * 0.6f}, {S * 0.62f, S * 0.6f}, {S * 0.86f, S * 0.5f}, {S * 0.62f, S * 0.4f}, {S * 0.14f, S * 0.4f}}), metal}, {Polygon({{S * 0.1f, S * 0.3f}, {S * 0.24f, S * 0.42f}, {S * 0.24f, S * 0.58f}, {S * 0.1f, S * 0.7f}}), Hex(0xE08A2A)}});
    put(2, {{Polygon({{S * 0.58f, S * 0.12f}, {S * 0.28f, S * 0.54f}, {S * 0.46f, S * 0.54f}, {S * 0.38f, S * 0.88f}, {S * 0.72f, S * 0.44f}, {S * 0.54f, S * 0.44f}, {S * 0.66f, S * 0.12f}}), Hex(0x8AD8FF)}});
    put(3, {{Arc({S * 0.5f, S * 0.8f}, S * 0.34f, S * 0.03f, 190.0f, 300.0f), Hex(0xB0A880)}, {Dot(0.68f, 0.52f, 0.1f), DARK}, {Box(0.1f, 0.74f, 0.34f, 0.88f, 0.02f), Hex(0x807A52)}});
    put(4, {{Box(0.12f, 0.44f, 0.5f, 0.62f, 0.02f), metal}, {Line(0.5f, 0.48f, 0.9f, 0.48f, 0.025f), DARK}, {Line(0.5f, 0.57f, 0.9f, 0.57f, 0.025f), DARK}, {Box(0.22f, 0.6f, 0.36f, 0.8f, 0.02f), DARK}});
    put(5, {{Polygon({{S * 0.5f, S * 0.1f}, {S * 0.72f, S * 0.52f}, {S * 0.64f, S * 0.82f}, {S * 0.36f, S * 0.82f}, {S * 0.28f, S * 0.52f}}), Hex(0xFF7A1A)}, {Polygon({{S * 0.5f, S * 0.42f}, {S * 0.6f, S * 0.64f}, {S * 0.5f, S * 0.8f}, {S * 0.4f, S * 0.64f}}), Hex(0xFFE04A)}});
    put(6, {{Polygon({{S * 0.5f, S * 0.12f}, {S * 0.7f, S * 0.52f}, {S * 0.5f, S * 0.84f}, {S * 0.3f, S * 0.52f}}), Hex(0x8AFF40)}, {Dot(0.44f, 0.56f, 0.05f), Hex(0xE0FFC0)}});
    put(7, {{Dot(0.5f, 0.5f, 0.26f), Hex(0xA060FF)}, {Dot(0.5f, 0.5f, 0.13f), Hex(0xF0D8FF)}});
    put(8, {{Ring({S * 0.5f, S * 0.5f}, S * 0.32f, S * 0.04f), GLOW}, {Ring({S * 0.5f, S * 0.5f}, S * 0.2f, S * 0.04f), GLOW}, {Dot(0.5f, 0.5f, 0.07f), Hex(0xE0FFFF)}});
    put(9, Module(GLOW, metal));
    put(10, Module(Hex(0x8E9AA8), Hex(0x6A7A8C)));
    put(11, Module(Hex(0x80B4E6), metal));
    put(12, Module(Hex(0x4A8AFF), metal));
    put(13, Module(Hex(0xFF5A4A), metal));
    put(14, Module(Hex(0xFFD24A), metal));
    put(15, Module(Hex(0xE08A2A), Hex(0x8A5030)));
    put(16, Crate(Hex(0xE08A2A)));
    put(17, Crate(Hex(0xC89A38)));
    put(18, {{Box(0.28f, 0.24f, 0.72f, 0.84f, 0.04f), Hex(0xC03820)}, {Box(0.56f, 0.16f, 0.66f, 0.26f), DARK}});
    put(19, {{Dot(0.5f, 0.5f, 0.3f), Hex(0xE6C034)}, {Box(0.38f, 0.46f, 0.62f, 0.54f), DARK}});
    put(20, Cannister(Hex(0x40C050), Hex(0xA0FF80), 1.0f));
    put(21, HealthCannister(1.0f));
    put(22, Cannister(Hex(0x2658E6), GLOW, 1.0f));
    put(23, HealthCannister(1.3f));
    put(24, Cannister(Hex(0x2658E6), GLOW, 1.3f));
    put(25, Cannister(Hex(0x8C40CC), Hex(0xE0A0FF), 1.0f));
    put(26, Cannister(Hex(0xE6C034), Hex(0xFFF0A0), 1.0f));
    put(27, {{Line(0.34f, 0.84f, 0.5f, 0.4f, 0.025f), DARK}, {Line(0.66f, 0.84f, 0.5f, 0.4f, 0.025f), DARK}, {Dot(0.5f, 0.34f, 0.14f), metal}, {Dot(0.52f, 0.36f, 0.05f), GLOW}});
    put(28, {{Box(0.18f, 0.56f, 0.82f, 0.7f, 0.04f), DARK}, {Box(0.32f, 0.42f, 0.68f, 0.58f, 0.1f), Hex(0x667248)}, {Dot(0.5f, 0.38f, 0.04f), LAMP}});
    put(29, {{Box(0.18f, 0.62f, 0.82f, 0.74f, 0.04f), metal}, {Polygon({{S * 0.3f, S * 0.62f}, {S * 0.36f, S * 0.3f}, {S * 0.42f, S * 0.62f}}), GLOW}, {Polygon({{S * 0.47f, S * 0.62f}, {S * 0.53f, S * 0.22f}, {S * 0.59f, S * 0.62f}}), GLOW}, {Polygon({{S * 0.64f, S * 0.62f}, {S * 0.7f, S * 0.3f}, {S * 0.76f, S * 0.62f}}), GLOW}});
    put(30, {{Box(0.18f, 0.22f, 0.82f, 0.78f, 0.04f), Hex(0x2A4A7A)}, {Box(0.38f, 0.34f, 0.62f, 0.5f, 0.03f), GLOW}, {Line(0.42f, 0.5f, 0.4f, 0.66f, 0.02f), GLOW}, {Line(0.58f, 0.5f, 0.6f, 0.66f, 0.02f), GLOW}});
    put(31, {{Box(0.18f, 0.22f, 0.82f, 0.78f, 0.04f), Hex(0x2A4A7A)}, {Box(0.32f, 0.44f, 0.68f, 0.66f, 0.02f), GLOW}, {Polygon({{S * 0.3f, S * 0.44f}, {S * 0.5f, S * 0.3f}, {S * 0.7f, S * 0.44f}}), GLOW}});
    put(32, {{Box(0.22f, 0.2f, 0.78f, 0.8f, 0.03f), Hex(0x724028)}, {Box(0.28f, 0.24f, 0.74f, 0.76f, 0.02f), Hex(0xE6DCC0)}, {Line(0.34f, 0.38f, 0.66f, 0.38f, 0.015f), DARK}, {Line(0.34f, 0.5f, 0.66f, 0.5f, 0.015f), DARK}});
    put(33, {{Box(0.16f, 0.34f, 0.84f, 0.8f, 0.2f), Hex(0x7A766E)}, {Dot(0.66f, 0.64f, 0.14f), Hex(0x66625C)}});
    // The repair kit is a mechanic's toolbox with a spanner: it mends hulls by hand, and the
    // heal key leaves it alone.
    put(34, {{Box(0.34f, 0.24f, 0.66f, 0.3f, 0.02f), DARK},
             {Line(0.37f, 0.27f, 0.37f, 0.4f, 0.025f), DARK},
             {Line(0.63f, 0.27f, 0.63f, 0.4f, 0.025f), DARK},
             {Box(0.14f, 0.38f, 0.86f, 0.8f, 0.04f), Hex(0xE09A2A)},
             {Box(0.14f, 0.5f, 0.86f, 0.54f), Hex(0x7A4E16)},
             {Line(0.28f, 0.7f, 0.62f, 0.62f, 0.035f), Hex(0xC8CED6)},
             {Dot(0.68f, 0.6f, 0.07f), Hex(0xC8CED6)},
             {Dot(0.72f, 0.56f, 0.03f), Hex(0x7A4E16)}});
    put(35, {{Polygon({{S * 0.58f, S * 0.12f}, {S * 0.28f, S * 0.54f}, {S * 0.46f, S * 0.54f}, {S * 0.38f, S * 0.88f}, {S * 0.72f, S * 0.44f}, {S * 0.54f, S * 0.44f}, {S * 0.66f, S * 0.12f}}), Hex(0xFFD24A)}});
    return icons;
}

bool PaintSheet(Canvas& c, const std::vector<UnitIcon>& icons)
{
    const int columns = (int)c.Width() / CELL;
    for (size_t i = 0; i < icons.size(); ++i) {
        if (icons[i].figure.empty()) continue;
        Canvas face = Face(icons[i].side);
        Draw(face, icons[i].figure);
        c.Draw(face, (int)(i % columns) * CELL, (int)(i / columns) * CELL);
    }
    return true;
}

}  // namespace

bool PaintUnitIcons(Canvas& c)
{
    return PaintSheet(c, UnitIcons());
}

bool PaintBuildingIcons(Canvas& c)
{
    return PaintSheet(c, BuildingIcons());
}

bool PaintItemIcons(Canvas& c)
{
    return PaintSheet(c, ItemIcons());
}

bool PaintUnknownIcon(Canvas& c)
{
    Canvas face = Face(NEUTRAL);
    Shape mark = Union(Arc({S * 0.5f, S * 0.36f}, S * 0.16f, S * 0.08f, 180.0f, 420.0f), Line(0.52f, 0.52f, 0.5f, 0.64f, 0.08f));
    Draw(face, {{mark, Hex(0xD0D4DA)}, {Dot(0.5f, 0.8f, 0.06f), Hex(0xD0D4DA)}});
    c.Draw(face, 0, 0);
    return true;
}
