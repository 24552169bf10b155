#pragma once
// The game object as the player has it: the world's game object, drawn (drawing/WorldFrame.h),
// with its screen. The shell makes it. It draws what the world's game answers quietly without a screen: the cursor, the
// fonts, the status labels and the pause sign (PlayerGame.cpp), the loading screen
// (LoadingScreen.cpp), the mission HUD and the messages (GameHud.cpp), the pick under the
// cursor and the rally marker (Picking.cpp), and the overlays of play (SceneOverlays.cpp).
#include "drawing/WorldFrame.h"

class PlayerGame : public DrawnGame {
public:
    PlayerGame();
    ~PlayerGame() override;

    // The base HUD; in play also the mission HUD, built at the first level start and shown
    // again at every later one.
    bool CreateHud() override;
    // In play the HUD, in the front end the pop-up and the message bar; then the base overlay.
    void DrawGui() override;
    // The mission HUD for this frame, the cursor in its picture for the command and what it
    // points at, and what stands over the cursor.
    void DrawHud();
    void ShowLoadingScreen(const char* text, float fraction, bool showTip) override;
    bool OnEscape() override;
    // The lit scene, then the overlays of play over it.
    void RenderScene() override;
    // The rally marker of the selected building, at three quarters of its size, in the pass.
    void DrawRallyPointMarker(int pass) override;
    Entity* PickEntity(const Vec3& origin, const Vec3& direction) override;
    void SetHoverTint(Entity* hovered) override;
    void UpdateHud() override;
    void UpdateStatusLabels(bool playing) override;
    void UpdateMessages(float dt, bool floating) override;

protected:
    void EndLevelHud() override;
    void ClearMessages() override;

private:
    // The cursor, the six fonts and the FPS, clock and debug labels; true when made.
    bool CreateBaseHud();
    // The status labels, the pause box while paused, then the cursor.
    void DrawBaseGui();
    // The floating texts, the pop-ups and the message bar: made and let go with the game object.
    void CreateMessageLists();
    void ReleaseMessageLists();
    // The main display and the power bar go with the game object that made them.
    void ReleaseHud();
    bool hudOwner_ = false;
    Sprite* pauseBox_ = nullptr;
};
