#pragma once
// The timed slideshow of the intro: slides of pictures (a picture with further layers that
// may pan inside their textures over the slide's time), an optional text and voice-over, each
// fading in and out through a black backdrop. Music may start with the first slide and other
// music after the show. While the game state is the intro, the frame function updates and
// draws the show; Space moves on to the next slide, Escape skips the rest.
#include <cstdint>

class Sprite;
class Font;

class StorySlideshow {
public:
    static constexpr int MAX_SLIDES = 32;
    static constexpr int MAX_LAYERS = 8;

    enum : uint32_t { SLIDE_FADE_IN = 1, SLIDE_FADE_OUT = 2, SLIDE_LAYERS_MOVE = 4, SLIDE_VOICE_OVER = 8 };

    struct TexRect {
        float left, top, right, bottom;
    };
    struct Layer {
        Sprite* sprite;
        TexRect start, end;
        int index;
    };
    struct Slide {
        Layer layers[MAX_LAYERS];
        int layerCount;
        float duration;
        uint32_t flags;
        char textKey[64];
        char voiceOver[64];
        int voiceGroup;
        int voiceHandle;
    };

    StorySlideshow();
    ~StorySlideshow();
    StorySlideshow(const StorySlideshow&) = delete;
    StorySlideshow& operator=(const StorySlideshow&) = delete;

    // Makes the backdrop once, forgets the slides and the music, and enables the show.
    void Reset();
    // Frees every slide's pictures and disables the show.
    void Release();
    // A slide of one picture, width x height pixels centred on the screen (4/3 by 2/3 of the
    // screen height when either is 0), fading in and out. Null when 32 slides exist.
    Slide* AddSlide(const char* picture, const char* textKey, float seconds, int width, int height);
    Layer* AddLayer(Slide* slide, const char* picture, int width, int height);
    void SetLayerMotion(Slide* slide, const TexRect& start, const TexRect& end, int layer);
    void SetVoiceOver(Slide* slide, const char* name, int group);

    bool IsFinished() const;
    // Space: stops the voice-over, and the next update moves on to the next slide.
    void StopVoiceOver();
    // Escape: ends the show at once and starts the after-show music.
    void Skip();
    // The Escape key's operation as the shell knows it: leaves the show.
    void Next() { Skip(); }

    void Update(float seconds);
    void Draw();

    char showMusic[128];
    char afterMusic[128];
    Slide slides[MAX_SLIDES];
    int slideCount = 0;
    int current = -1;
    float timer = 0.0f;
    Sprite* backdrop = nullptr;
    int newGameIntro = 0;
    bool enabled = false;
    // The after-show music has been asked for.
    bool afterMusicRequested = false;
    // The font of the slides' texts; texts are not drawn without one.
    Font* textFont = nullptr;

private:
    void StopCurrentVoice();
    void RequestAfterMusic();
    void PlayMusic(const char* path);
    Sprite* MakeLayerSprite(const char* picture, int width, int height);
};

extern StorySlideshow* IntroSlideshow;
