#include "interface/MissionBriefingGui.h"

#include "campaign/Galaxy.h"
#include "campaign/MissionRecord.h"
#include "campaign/MissionScreen.h"
#include "campaign/RandomMission.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/InputState.h"
#include "platform/StringTable.h"
#include "render/Draw2D.h"
#include "render/Font.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

MissionBriefingGui* TheMissionBriefing = nullptr;

constexpr int BRIEFING_ID = 1018;

namespace {

int OnBriefingArrow(void* user, Button* button)
{
    if (!button || !TheMissionBriefing) return 1;
    TheMissionBriefing->Scroll(user && *static_cast<intptr_t*>(user) == 1);
    GuiPlaySound("blip");
    return 1;
}

// The crest sheet: one crest per faction in a row of four.
int CrestCell(int faction)
{
    return 0x04010000 | ((faction & 3) << 8);
}

int FactionIndex(const char* key)
{
    for (int i = 0; i < 4; ++i)
        if (key && strcmp(key, GetFactionKey(i)) == 0) return i;
    return 0;
}

}  // namespace

MissionBriefingGui::MissionBriefingGui() : InfoScreen(BRIEFING_ID, true) {}

MissionBriefingGui* MissionBriefingGui::Create()
{
    MissionBriefingGui* screen = new MissionBriefingGui();
    screen->Build();
    return screen;
}

void MissionBriefingGui::Build()
{
    if (built) return;
    const int H = ScreenHeight();
    const int m = 5 * H / 192, g = 5 * H / 384;
    BuildFrame("Mission Briefing", 25 * H / 32, 265 * H / 384);
    const int crestSize = H / 12;
    crest = Keep(new Button(nullptr, nullptr, left + m + g, panelTop + g, crestSize, crestSize, 0, nullptr,
                            "data/gui/crests.dds", "data/gui/crests.dds", nullptr, CrestCell(0), CrestCell(0), 0));
    const int pictureSize = H / 6;
    const int pictureX = left + frameWidth - m - g - pictureSize;
    picture = Keep(new Button(nullptr, nullptr, pictureX, panelTop + g, pictureSize, pictureSize, 0, nullptr,
                              "data/gui/guildback.dds", "data/gui/guildback.dds", nullptr, 0, 0, 0));
    giverLabel = Keep(new Label("", pictureX, panelTop + 2 * g + pictureSize, pictureSize, H / 24, 0, ScreenFont(4),
                                false));
    giverLabel->SetWrapWidth(pictureSize);
    const int textX = left + H / 12 + 5 * H / 96, textY = top + H / 12 + 5 * H / 96;
    const int arrowSize = H / 32;
    const int textW = pictureX - 2 * g - arrowSize - textX;
    const int textH = BOX_LINES * H / 48;
    Keep(new Window(textX - g, textY - g / 2, textW + 2 * g, textH + g, "solid_charcoal.dds"));
    textLabel = Keep(new Label("<none>", textX, textY, textW, textH, 0, ScreenFont(4), false));
    textLabel->SetWrapWidth(textW);
    const int step = textLabel->font ? (int)textLabel->font->LineHeight() : 0;
    linesShown = std::max(1, textH / (step > 0 ? step : H / 48));
    upArrow = AddArrow(textX + textW + g, textY, false, OnBriefingArrow);
    downArrow = AddArrow(textX + textW + g, textY + textH - arrowSize, true, OnBriefingArrow);
    Finish();
}

void MissionBriefingGui::Refresh()
{
    if (!built || !TheGalaxy || !TheGalaxy->selectedBody) return;
    const CelestialBody* body = TheGalaxy->selectedBody;
    story = GetSelectedStoryId() >= 0;
    const MissionRecord* record = story && MissionScreen::missions && body->storyId < MissionScreen::missionCount
                                      ? &MissionScreen::missions[body->storyId]
                                      : nullptr;
    if (story && !record) return;
    const char* giver = record ? record->faction : GetFactionKey(body->mission.faction);
    if (!giver) giver = "guild";
    faction = record ? FactionIndex(giver) : body->mission.faction;
    char path[160];
    GiverPicturePath(giver, story, path, sizeof path);
    picture->SetIcon(path, path, 0, 0);
    crest->SetIcon("data/gui/crests.dds", "data/gui/crests.dds", CrestCell(faction), CrestCell(faction));
    const char* title = GetMissionGiver(giver, story);
    giverLabel->SetText(title ? title : giver);

    if (record) {
        if (!record->briefing[0]) return;
        briefing = GuiDisplayText(record->briefing);
    } else {
        const RandomMissionBlock& mission = body->mission;
        BuildMissionBriefing(mission.faction, mission.category, mission.target, mission.count);
        briefing = MissionBriefingText;
    }
    textLabel->SetText(briefing.c_str(), false);
    firstLine = 0;
    textLabel->SetScroll(0, linesShown, &lineCount);
    FollowArrows(upArrow, downArrow, 0, linesShown, lineCount);
}

void MissionBriefingGui::Scroll(bool down)
{
    if (!textLabel) return;
    const int last = lineCount > linesShown ? lineCount - linesShown : 0;
    firstLine += down ? 1 : -1;
    if (firstLine > last) firstLine = last;
    if (firstLine < 0) firstLine = 0;
    if (lineCount <= linesShown) return;
    textLabel->SetScroll(firstLine, linesShown, &lineCount);
    FollowArrows(upArrow, downArrow, firstLine, linesShown, lineCount);
}

bool MissionBriefingGui::OnMouseMove(MouseDevice* mouse)
{
    if (!mouse || !mouse->wheel || !visible) return false;
    Scroll(mouse->wheel < 0);
    mouse->wheel = 0;
    GuiPlaySound("blip");
    return true;
}

void MissionBriefingGui::Draw()
{
    Window::Draw();
    if (!TheGalaxy || !TheGalaxy->selectedBody) return;
    const CelestialBody* body = TheGalaxy->selectedBody;
    const int H = ScreenHeight();
    const MissionRecord* record = story && MissionScreen::missions && body->storyId >= 0 &&
                                          body->storyId < MissionScreen::missionCount
                                      ? &MissionScreen::missions[body->storyId]
                                      : nullptr;
    Font* titleFont = ScreenFont(1);
    Font* heading = ScreenFont(0);
    Font* text = ScreenFont(4);
    for (Font* font : {titleFont, heading, text})
        if (font) font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    const int x = left + H / 12 + 5 * H / 96;
    int y = top + H / 12;
    char line[256];
    if (record) {
        snprintf(line, sizeof line, "Mission name: %s", GuiDisplayText(record->name));
    } else {
        static const char* const kinds[] = {"Eliminate", "Destroy", "Clear", "Repair", "Collect", "Prospect", "Build"};
        const int category = body->mission.category;
        snprintf(line, sizeof line, "Mission type: %s", category >= 0 && category < 7 ? kinds[category] : "Mission");
    }
    // The title keeps left of the giver's picture: a long one takes the headings' smaller letters.
    const int room = picture ? picture->x - 5 * H / 384 - x : ScreenWidth();
    if (titleFont && heading && TextWidth(titleFont, line) > room) titleFont = heading;
    // The title stands a whole line of its own font above the faction's name and the level.
    const int titleStep = titleFont ? std::max(H / 48, (int)titleFont->LineHeight()) : H / 48;
    GuiDrawText(titleFont, x, y - titleStep, line);
    const char* factionName = GetFactionName(faction);
    snprintf(line, sizeof line, "%s  [Level %d]", factionName ? factionName : "", record ? record->level : body->levelMin);
    GuiDrawText(text, x, y, line);

    y = top + H / 12 + 5 * H / 96 + BOX_LINES * H / 48 + H / 48;
    GuiDrawText(heading, x, y, "Objectives");
    y += 5 * H / 192;
    if (record) {
        int shown = 0;
        for (int i = 0; i < record->objectiveCount; ++i) {
            const Objective* objective = record->objectives[i];
            if (!IsBriefed(objective)) continue;
            BriefedObjectiveLine(objective, line, sizeof line);
            const int column = shown / 3, row = shown % 3;
            GuiDrawText(text, x + column * 35 * H / 192, y + row * H / 48, line);
            ++shown;
        }
        y += 3 * H / 48;
    } else {
        GuiDrawText(text, x, y, MissionObjectiveText);
        y += H / 48;
    }
    y += H / 48;
    GuiDrawText(heading, x, y, "Rewards");
    const int experience = record ? record->experienceReward : body->mission.experienceReward;
    const int credits = record ? record->creditReward : body->mission.creditReward;
    y += 5 * H / 192;
    snprintf(line, sizeof line, "%d Experience points", experience);
    GuiDrawText(text, x, y, line);
    y += 5 * H / 192;
    snprintf(line, sizeof line, "%d Credits", credits);
    GuiDrawText(text, x, y, line);
}
