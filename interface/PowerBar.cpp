#include "interface/PowerBar.h"

#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "render/Draw2D.h"
#include "render/Sprite.h"
#include "world/PowerLedger.h"

PowerBar* ThePowerBar = nullptr;

namespace {

constexpr const char* FILL_TEXTURE = "Data/gui/Icons/power_bar.dds";
constexpr const char* CHEVRON_TEXTURE = "data/gui/game/chevron.dds";

// The chevron's left edge for a demand on a scale.
int ChevronLeft(const PowerBar& bar, float demand, float scale)
{
    return (int)(demand / scale * bar.barWidth) - bar.chevronWidth / 2 + bar.barX;
}

}  // namespace

PowerBar::PowerBar()
{
    Build();
}

PowerBar::~PowerBar()
{
    delete meter;
    delete chevron;
}

void PowerBar::Build()
{
    int w = ScreenWidth(), h = ScreenHeight();
    barX = w + h / 24 - (int)(2.0 / 3.0 * h);
    barY = h / 96;
    barWidth = 55 * h / 384;
    barHeight = 7 * h / 384;
    chevronWidth = chevronHeight = (int)((float)(h / 24) * chevronScale);

    delete meter;
    meter = new GuiMeter(nullptr, COLOUR_ENOUGH, 0xFF000000, barX, barY, barWidth, barHeight, false, FILL_TEXTURE,
                         true);
    // The fill covers the whole bar (no inset) and its picture drifts along it.
    meter->noInset = true;
    meter->animated = true;
    // Until its first frame the meter shows a fresh level's ledger.
    const PowerLedger fresh;
    meter->SetValue(100.0f * fresh.demand / fresh.supply);

    delete chevron;
    int left = ChevronLeft(*this, fresh.demand, fresh.supply);
    chevron = CreateGuiSprite(left, barY, chevronWidth, chevronHeight, CHEVRON_TEXTURE, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f,
                              1.0f);
}

float PowerBar::Scale(const PowerLedger& ledger)
{
    float scale = ledger.supply > ledger.demand ? ledger.supply : ledger.demand;
    return scale > 100.0f ? scale : 100.0f;
}

void PowerBar::Update(const PowerLedger& ledger)
{
    float scale = Scale(ledger);
    uint32_t colour = ledger.IsShort() ? COLOUR_SHORT : COLOUR_ENOUGH;
    if (meter) meter->SetValue(100.0f * ledger.supply / scale, &colour);
    if (chevron) {
        int left = ChevronLeft(*this, ledger.demand, scale);
        chevron->SetRect(left, barY, left + chevronWidth, barY + chevronHeight);
    }
    if (meter) meter->Draw();
    GuiDrawSprite(chevron);
}
