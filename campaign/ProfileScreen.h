#pragma once
// The profile screens of the front end: the "Profiles" window (the profile files of the
// profiles folder, at most ten, with their level and rig icon; "Load", "Delete" and "Main
// Menu") and the "New Profile" window (the name, the difficulty, a starting unit and a starting
// rig weapon, turning previews of the rig and its pilot, "OK" and "Cancel"). One object owns
// both windows; the main menu opens the first (front-end screen 8) and a new game the second
// (screen 9).
//
// "#" stands for no profile: as the selected name, and as the settings' last profile.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class Agent;
class Button;
class EditBox;
class Label;
class ModelViewer;
class RigPart;
class Sprite;
class Window;

constexpr int PROFILES_WINDOW_ID = 1008;
constexpr int NEW_PROFILE_WINDOW_ID = 1009;

// The header of a profile file: the name, chassis, experience and credits loading it takes
// (a chassis stays as it was when the file names none). False (and a line on the log) when the
// file cannot be opened; the outputs then stay as they were.
bool ReadProfileHeader(const char* path, std::string* name, std::string* chassis, int* experience, int* credits);

// Why a typed name cannot become a new profile, or null when it can. Checked on the bytes as
// they are: only ASCII letters, digits and blanks pass. Reserved or taken is judged on the name
// without its ending blanks, which is the name the profile is made under and read back as.
const char* CheckNewProfileName(const char* name, char* message, size_t size);

class ProfileScreen {
public:
    static constexpr int MAX_ROWS = 10;
    static constexpr int NAME_LENGTH = 16;

    ProfileScreen();
    ~ProfileScreen();
    ProfileScreen(const ProfileScreen&) = delete;
    ProfileScreen& operator=(const ProfileScreen&) = delete;

    // Builds both windows (hidden) and registers them with the window manager.
    void Build();
    // Refreshes the list and shows (or hides) the Profiles window.
    void ShowProfiles(bool show);
    // Shows (or hides) the New Profile window; showing starts from the default profile.
    void ShowNewProfile(bool show);
    // Fills the rows from the profile files, in the order the folder lists them.
    void RefreshList();
    // The profile files of the profiles folder, counting up to ten.
    static int CountProfiles();
    // Screen 8: the windows. Screen 9: the windows, the choice marks and the hint.
    void DrawProfiles();
    void Draw();

    // The row of that index is selected (as a click on it does).
    void SelectRow(int row);
    // Loads the selected profile; false ("bad") without a selection or when it cannot be read.
    bool LoadSelected();
    // Deletes the selected profile with its saves (the confirmation's answer).
    void DeleteSelected();
    // Makes the profile of that name from the choices of the window: null when it was made and
    // saved, else the message that tells why not (and nothing is changed).
    const char* CreateProfile(const char* name);
    // Back to the last profile and the main menu.
    void CancelNewProfile();
    // The profile's name next to "Current Profile:".
    void RefreshCurrentLabel();

    // The choices of the New Profile window.
    void ChooseUnit(int choice);
    void ChooseWeapon(int choice);
    void StepChassis(bool next);
    void StepPilot(bool next);
    // The rig preview shows the whole rig, its animation from the start.
    void ShowRig(Agent* rig);
    // The pilot preview shows the pilot's head and shoulders.
    void ShowPilot(RigPart* pilot);

    Window* profilesWindow = nullptr;
    Window* newProfileWindow = nullptr;
    ModelViewer* rigPreview = nullptr;
    ModelViewer* pilotPreview = nullptr;
    EditBox* nameBox = nullptr;
    Button* rowNames[MAX_ROWS] = {};
    Button* rowLevels[MAX_ROWS] = {};
    Button* rowIcons[MAX_ROWS] = {};
    Label* currentLabel = nullptr;
    Button* chassisButton = nullptr;
    Button* pilotButton = nullptr;
    Button* unitButtons[2] = {};
    Button* weaponButtons[2] = {};
    Sprite* unitHighlight = nullptr;
    Sprite* weaponHighlight = nullptr;
    int profileCount = 0;
    char selectedName[32];
    Label* hintBox = nullptr;
    Sprite* hintBack = nullptr;
    Sprite* hintRim = nullptr;
    float hoverTimer = 0.0f;
    bool hintShown = false;
    bool profilesOpen = false;
    // The New Profile window was opened from the Profiles window, not by a new game.
    bool openedFromProfiles = false;
    int unitChoice = 0;
    int weaponChoice = 0;
    char message[160] = {};

private:
    void BuildProfilesWindow();
    void BuildNewProfileWindow();
    template <class W> W* Keep(W* window);
    // A frameless page with the blue frame and its title on a banner.
    Window* FramedPage(const char* caption, int id, const char* title, int left, int top, int width, int height);
    std::vector<std::unique_ptr<Window>> owned_;
};

// The front end's profile screens; null until the mission screen builds them.
extern ProfileScreen* TheProfileScreen;

// The starting units and rig weapons a new profile chooses from.
extern const char* const STARTING_UNITS[2];
extern const char* const STARTING_WEAPONS[2];
