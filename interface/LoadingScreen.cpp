// The loading screen: every phase of a level start draws and presents one whole frame with a
// progress bar, the phase's text and a tip, logs how long the phase before it took, and keeps
// the music streaming while the main loop is busy.
#include "campaign/Galaxy.h"
#include "campaign/PlayerProfile.h"
#include "gui/GuiDraw.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "interface/PlayerGame.h"
#include "platform/ConfigFile.h"
#include "platform/MusicPlayer.h"
#include "platform/MusicThread.h"
#include "platform/RandomUtil.h"
#include "platform/StringTable.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"

#include <cstdio>

int TipCount = 8;

namespace {

constexpr uint32_t TIP_PERIOD_MS = 10000;
constexpr const char* TIP_FALLBACK = "TIP STRING ERROR";

int TipIndex = -1;
uint32_t TipTime = 0;
bool RandomTips = false;

// Timing of the loading phases.
uint32_t LastReportTime = 0;
uint32_t PhaseTotal = 0;
char PhaseName[128] = "";

// The first tips explain the basics: once every tip has been shown, the random draws leave
// them out (when there are others to show).
int RandomTip(int first)
{
    if (TipCount - 1 < first) first = 0;
    return CosmeticRandom().Int(first, TipCount - 1);
}

}  // namespace

void CountTips()
{
    TipCount = 0;
    if (!Strings || !Strings->Lookup("<tip0>")) return;
    char key[32];
    for (;;) {
        snprintf(key, sizeof key, "<tip%d>", TipCount);
        if (!Strings->Lookup(key)) break;
        ++TipCount;
    }
}

void ResetTips()
{
    TipIndex = -1;
    TipTime = 0;
    RandomTips = false;
}

const char* NextTip()
{
    return NextTip(TimeGetTimeMs());
}

const char* NextTip(uint32_t now)
{
    if (TipTime == 0) TipTime = now;
    PlayerProfile* profile = GetPlayerProfile();
    if (profile && profile->level >= 1) RandomTips = true;
    if (TipCount <= 0) return TIP_FALLBACK;
    if (TipIndex < 0 || now - TipTime > TIP_PERIOD_MS) {
        TipTime = now;
        if (RandomTips) {
            TipIndex = RandomTip(2);
        } else if (++TipIndex >= TipCount) {
            RandomTips = true;
            TipIndex = RandomTip(0);
        }
    }
    if (TipIndex >= TipCount) TipIndex = TipCount - 1;
    char key[32];
    snprintf(key, sizeof key, "<tip%d>", TipIndex);
    const char* tip = Strings ? Strings->Lookup(key) : nullptr;
    return tip ? tip : TIP_FALLBACK;
}

void PlayerGame::ShowLoadingScreen(const char* text, float fraction, bool showTip)
{
    // How often this is shown depends on how fast the machine makes the level.
    const LookOnlyScope lookOnly;
    if (!text) text = "";
    uint32_t now = TimeGetTimeMs();
    uint32_t elapsed = now - LastReportTime;
    LastReportTime = now;
    PhaseTotal += elapsed;

    if (Music && !IsMusicThreadRunning() && (!Config || Config->music || Music->IsTrackOpen())) Music->Update();

    if (fraction == 0.0f) {
        PhaseTotal = 0;
    } else if (PhaseName[0]) {
        Log("%s : %.3f\n", PhaseName, elapsed / 1000.0);
        if (fraction == 1.0f) Log("TOTAL TIME:  %.2f Seconds\n", PhaseTotal / 1000.0);
    }
    CopyText(PhaseName, sizeof PhaseName, text);

    if (!Graphics || !Config) return;
    RenderStates.Reset();
    Graphics->Clear(3, 0.0f, 0.0f, 0.0f, 1.0f);
    Graphics->BeginScene();
    int w = Config->width, h = Config->height;
    int radius = (int)(h * 0.0234375f);
    int barWidth = (int)(h * 0.5208333f);
    int y = h / 2 + (int)(h * 0.1822917f);
    int x0 = (w - barWidth) / 2;
    if (fraction < 0.0f) fraction = 0.0f;
    if (fraction > 1.0f) fraction = 1.0f;
    Graphics->ClearRect(x0, y - radius, x0 + barWidth, y + radius, 0xFFAAAAAA);
    Graphics->ClearRect(x0 + 1, y - radius + 1, x0 + barWidth - 1, y + radius - 1, 0xFF222222);
    Graphics->ClearRect(x0 + 2, y - radius + 2, x0 + 2 + (int)((barWidth - 2) * fraction), y + radius - 2, 0xFF2BA039);

    Graphics->Begin2D();
    Font* font = fonts[1];
    if (font && font->loaded) {
        font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        GuiDrawText(font, x0 + 6, y - 7, text);
    }
    Font* tipFont = fonts[3];
    if (showTip && font && font->loaded && tipFont && tipFont->loaded) {
        const char* tip = NextTip();
        TextSize labelSize{}, tipSize{};
        font->GetTextExtent("Tip: ", &labelSize);
        tipFont->GetTextExtent(tip, &tipSize);
        int tipY = h / 2 + (int)(h * 0.1302083f);
        int x = (w - tipSize.cx - labelSize.cx) / 2;
        font->SetColor(1.0f, 1.0f, 0.5f, 1.0f);
        font->DrawText((float)x, (float)tipY, "Tip: ");
        tipFont->SetColor(0.9f, 0.9f, 0.9f, 1.0f);
        tipFont->DrawText((float)(x + labelSize.cx), (float)tipY, tip);
    }
    // What the mission is about, while its level is being made.
    if (TheGalaxy) TheGalaxy->DrawMissionInfo();
    Graphics->End2D();
    Graphics->Present();
}
