#include "campaign/StorySlideshow.h"

#include "campaign/MissionScreen.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/MusicPlayer.h"
#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"

#include <cstring>

StorySlideshow* IntroSlideshow = nullptr;

namespace {

// Any texture tinted opaque black makes the fade backdrop.
constexpr const char* BACKDROP_TEXTURE = "data/textures/white.dds";

int ScreenW() { return Config ? Config->width : 1024; }
int ScreenH() { return Config ? Config->height : 768; }

bool IsNone(const char* text) { return !text || !text[0] || StrICmp(text, "none") == 0; }

}  // namespace

StorySlideshow::StorySlideshow()
{
    memset(slides, 0, sizeof slides);
    CopyText(showMusic, sizeof showMusic, "none");
    CopyText(afterMusic, sizeof afterMusic, "none");
}

StorySlideshow::~StorySlideshow()
{
    Release();
    delete backdrop;
}

void StorySlideshow::Reset()
{
    if (!backdrop) backdrop = CreateSprite(0, 0, ScreenW(), ScreenH(), BACKDROP_TEXTURE, 0xFF000000, 0, 0, 1, 1, true);
    CopyText(showMusic, sizeof showMusic, "none");
    CopyText(afterMusic, sizeof afterMusic, "none");
    slideCount = 0;
    current = -1;
    timer = 0.0f;
    afterMusicRequested = false;
    enabled = true;
}

void StorySlideshow::Release()
{
    for (int s = 0; s < slideCount; ++s) {
        Slide& slide = slides[s];
        for (int l = 0; l < slide.layerCount; ++l) {
            Sprite* sprite = slide.layers[l].sprite;
            // The story's pictures are large and shown once: their memory goes with the show.
            if (sprite && sprite->texture && Textures) Textures->ReleaseTextures(sprite->texture->key);
            delete sprite;
            slide.layers[l].sprite = nullptr;
        }
        slide.layerCount = 0;
    }
    CopyText(showMusic, sizeof showMusic, "none");
    CopyText(afterMusic, sizeof afterMusic, "none");
    slideCount = 0;
    current = -1;
    timer = 0.0f;
    afterMusicRequested = false;
    enabled = false;
}

Sprite* StorySlideshow::MakeLayerSprite(const char* picture, int width, int height)
{
    int h = ScreenH();
    if (width <= 0 || height <= 0) {
        width = h * 4 / 3;
        height = h * 2 / 3;
    }
    int x = (ScreenW() - width) / 2;
    int y = (h - height) / 2;
    // A picture an earlier show let go of is made again.
    if (Textures && picture) Textures->ReloadTextures(picture);
    return CreateSprite(x, y, width, height, picture, 0xFFFFFFFF, 0, 0, 1, 1, true);
}

StorySlideshow::Slide* StorySlideshow::AddSlide(const char* picture, const char* textKey, float seconds, int width,
                                                int height)
{
    if (slideCount >= MAX_SLIDES) return nullptr;
    Slide& slide = slides[slideCount++];
    memset(&slide, 0, sizeof slide);
    slide.layers[0].sprite = MakeLayerSprite(picture, width, height);
    slide.layers[0].start = slide.layers[0].end = {0.0f, 0.0f, 1.0f, 1.0f};
    slide.layerCount = 1;
    slide.duration = seconds;
    slide.flags = SLIDE_FADE_IN | SLIDE_FADE_OUT;
    CopyText(slide.textKey, sizeof slide.textKey, textKey ? textKey : "none");
    slide.voiceHandle = -1;
    return &slide;
}

StorySlideshow::Layer* StorySlideshow::AddLayer(Slide* slide, const char* picture, int width, int height)
{
    if (!slide || slide->layerCount >= MAX_LAYERS) return nullptr;
    Layer& layer = slide->layers[slide->layerCount];
    layer.sprite = MakeLayerSprite(picture, width, height);
    layer.start = layer.end = {0.0f, 0.0f, 1.0f, 1.0f};
    layer.index = slide->layerCount++;
    return &layer;
}

void StorySlideshow::SetLayerMotion(Slide* slide, const TexRect& start, const TexRect& end, int layer)
{
    if (!slide || layer < 0 || layer >= slide->layerCount) return;
    Layer& l = slide->layers[layer];
    l.start = start;
    l.end = end;
    if (l.sprite) l.sprite->SetTexCoords(start.left, start.top, start.right, start.bottom);
    slide->flags |= SLIDE_LAYERS_MOVE;
}

void StorySlideshow::SetVoiceOver(Slide* slide, const char* name, int group)
{
    if (!slide) return;
    CopyText(slide->voiceOver, sizeof slide->voiceOver, name ? name : "");
    slide->voiceGroup = group;
    slide->flags |= SLIDE_VOICE_OVER;
}

bool StorySlideshow::IsFinished() const
{
    return !enabled || slideCount == 0 || current >= slideCount;
}

void StorySlideshow::StopCurrentVoice()
{
    if (current < 0 || current >= slideCount) return;
    Slide& slide = slides[current];
    if (!(slide.flags & SLIDE_VOICE_OVER) || slide.voiceHandle < 0) return;
    if (SoundMgr) SoundMgr->StopSound(slide.voiceHandle / SOUND_HANDLE_FACTOR, slide.voiceHandle);
    slide.voiceHandle = -1;
}

void StorySlideshow::StopVoiceOver()
{
    if (!enabled) return;
    StopCurrentVoice();
    timer = 0.0f;
}

void StorySlideshow::PlayMusic(const char* path)
{
    if (!Music || !Config || !Config->music || IsNone(path)) return;
    Music->FadeOut(2.0f);
    Music->Play(path);
}

void StorySlideshow::RequestAfterMusic()
{
    // Asked for once: asked again, the player would fade out and start it over and over.
    if (afterMusicRequested) return;
    afterMusicRequested = true;
    PlayMusic(afterMusic);
}

void StorySlideshow::Skip()
{
    StopCurrentVoice();
    current = slideCount;
    RequestAfterMusic();
}

void StorySlideshow::Update(float seconds)
{
    if (enabled && slideCount > 0 && current < slideCount) {
        if (timer > 0.0f && current >= 0) {
            timer -= seconds;
            Slide& slide = slides[current];
            if ((slide.flags & SLIDE_LAYERS_MOVE) && slide.duration > 0.0f) {
                float t = 1.0f - timer / slide.duration;
                for (int l = 0; l < slide.layerCount; ++l) {
                    Layer& layer = slide.layers[l];
                    if (!layer.sprite) continue;
                    layer.sprite->SetTexCoords(layer.start.left + (layer.end.left - layer.start.left) * t,
                                               layer.start.top + (layer.end.top - layer.start.top) * t,
                                               layer.start.right + (layer.end.right - layer.start.right) * t,
                                               layer.start.bottom + (layer.end.bottom - layer.start.bottom) * t);
                }
            }
        } else {
            if (current == -1) PlayMusic(showMusic);
            ++current;
            if (current < slideCount) {
                Slide& slide = slides[current];
                timer = slide.duration;
                if ((slide.flags & SLIDE_VOICE_OVER) && SoundMgr) slide.voiceHandle = SoundMgr->PlaySound(slide.voiceOver);
            }
        }
        if (current < slideCount) return;
    }
    RequestAfterMusic();
}

void StorySlideshow::Draw()
{
    if (!enabled || current < 0 || current >= slideCount) return;
    Slide& slide = slides[current];
    for (int l = slide.layerCount - 1; l >= 0; --l)
        if (slide.layers[l].sprite) slide.layers[l].sprite->Draw();

    float elapsed = slide.duration - timer;
    float alpha = -1.0f;
    if (elapsed < 1.0f && (slide.flags & SLIDE_FADE_IN))
        alpha = 1.0f - elapsed;
    else if (timer < 1.0f && (slide.flags & SLIDE_FADE_OUT))
        alpha = 1.0f - timer;
    if (alpha >= 0.0f && backdrop) {
        if (alpha > 1.0f) alpha = 1.0f;
        backdrop->SetColor((uint32_t)(alpha * 255.0f) << 24);
        backdrop->Draw();
    }

    if (!IsNone(slide.textKey) && textFont && textFont->loaded && Strings) {
        const char* text = Strings->Lookup(slide.textKey);
        if (!text) return;
        Sprite* picture = slide.layers[0].sprite;
        int areaWidth = picture ? picture->width : ScreenH() * 4 / 3;
        int boxWidth = (int)(areaWidth * 0.8854f);
        int x = (ScreenW() - boxWidth) / 2;
        // Below the picture, in the dark band: the words never run over its lower edge.
        int pictureBottom = picture ? picture->bottom : ScreenH() * 5 / 6;
        int y = pictureBottom + ScreenH() / 48;
        // The story's words in a pale starlight blue.
        textFont->SetColor(0.85f, 0.9f, 1.0f, 1.0f);
        textFont->DrawWrappedText(text, boxWidth, x, y, 0, 0, nullptr);
    }
}

void BuildNewGameIntro(StorySlideshow* show)
{
    if (!show) return;
    show->Reset();
    LoadSoundScript("data/scripts/intro_vo.cgs");
    show->newGameIntro = 1;
    // The story is told in the large font.
    if (!show->textFont && TheGame) show->textFont = TheGame->fonts[2];
    using Rect = StorySlideshow::TexRect;
    // A pan written a..b runs over (a, a, b, b).
    auto span = [](float a, float b) { return Rect{a, a, b, b}; };
    struct Layer {
        const char* picture;
        Rect start, end;
    };
    struct Slide {
        const char* text;
        float seconds;
        const char* voice;
        Layer layers[3];
    } const slides[] = {
        {"<intro_1>", 12.0f, "intro_1",
         {{"Data/gui/story/planet_and_stars_asteroids.dds", span(0, 1), span(0.175f, 0.825f)},
          {"Data/gui/story/planet_and_stars_fg.dds", span(0, 1), span(0.1f, 0.9f)},
          {"Data/gui/story/planet_and_stars_bg.dds", span(0, 1), span(0.033f, 0.967f)}}},
        {"<intro_2>", 17.0f, "intro_2",
         {{"Data/gui/story/intro_gate_console.dds", span(0, 1), span(0.175f, 0.825f)},
          {"Data/gui/story/intro_gate_fg.dds", span(0, 1), span(0.1f, 0.9f)},
          {"Data/gui/story/intro_gate_bg.dds", span(0, 1), span(0.015f, 0.985f)}}},
        {"<intro_3>", 18.0f, "intro_3",
         {{"Data/gui/story/intro_guild_fg.dds", span(0, 0.7f), span(0.2f, 1)},
          {"Data/gui/story/intro_guild_mid.dds", span(0, 0.7f), span(0.12f, 0.92f)},
          {"Data/gui/story/intro_guild_bg.dds", span(0, 0.7f), span(0.1f, 0.9f)}}},
        {"<intro_4a>", 15.0f, "intro_4a",
         {{"Data/gui/story/intro_scav_fg.dds", span(0.15f, 0.85f), span(0.075f, 0.925f)},
          {"Data/gui/story/intro_scav_bg.dds", span(0.1f, 0.9f), span(0.05f, 0.95f)},
          {nullptr, {}, {}}}},
        {"<intro_4b>", 12.0f, "intro_4b",
         {{"Data/gui/story/intro_scav_fg.dds", span(0.075f, 0.925f), span(0, 1)},
          {"Data/gui/story/intro_scav_bg.dds", span(0.05f, 0.95f), span(0, 1)},
          {nullptr, {}, {}}}},
        {"<intro_5>", 17.0f, "intro_5",
         {{"Data/gui/story/story_last_fg.dds", span(0, 1), span(0.15f, 0.85f)},
          {"Data/gui/story/story_last_mid.dds", span(0, 1), span(0.1f, 0.9f)},
          {"Data/gui/story/story_last_bg.dds", span(0, 1), span(0.075f, 0.925f)}}},
    };
    for (const Slide& s : slides) {
        StorySlideshow::Slide* slide = show->AddSlide(s.layers[0].picture, s.text, s.seconds, 0, 0);
        if (!slide) break;
        for (int l = 1; l < 3; ++l)
            if (s.layers[l].picture) show->AddLayer(slide, s.layers[l].picture, 0, 0);
        for (int l = 0; l < slide->layerCount; ++l) show->SetLayerMotion(slide, s.layers[l].start, s.layers[l].end, l);
        show->SetVoiceOver(slide, s.voice, 0);
    }
    CopyText(show->showMusic, sizeof show->showMusic, "data/music/cinematic_music.ogg");
    CopyText(show->afterMusic, sizeof show->afterMusic, "data/music/mission_screen.ogg");
}
