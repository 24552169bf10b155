#pragma once
// The three short-lived text lists through which the game tells the player something: texts
// floating up over the world ("Ore +5"), the pop-ups in the middle of the lower screen half
// (one at a time: a plain notice or an achievement badge), and the message bar's column of
// timed lines at the left edge, each with an information or warning icon.
//
// The lists share one node record and one header over a pool of 100 nodes made once: after
// construction nothing is allocated, nodes only move between the list and the free chain. A
// full list refuses what is added. The game object makes the three lists, ticks them every
// frame, draws them in its HUD pass and clears them when a level ends.
class Font;
class Sprite;

struct MessageNode {
    char text[128];
    float x, y, z;  // a floating text's world position
    // A floating text's age, counting up; a pop-up's or bar line's seconds left, counting down.
    float time;
    int kind;         // bar icon: 0 information, 1 warning, anything else neutral
    int achievement;  // a pop-up's achievement index, -1 for a plain text
    MessageNode* next;

    // Same text byte for byte, same place and time.
    static bool Equals(const MessageNode& a, const MessageNode& b);
};

class MessageList {
public:
    static constexpr int CAPACITY = 100;

    MessageList();
    virtual ~MessageList();
    MessageList(const MessageList&) = delete;
    MessageList& operator=(const MessageList&) = delete;

    // Every pool node back on the free chain in pool order; the list empty.
    void ResetPool();
    // Unlinks the first node (from the head) equal to the given one and frees it.
    void Remove(const MessageNode& node);
    // Every node of the list back to the free chain.
    void Clear();
    // The newest node (the tail), or null.
    const MessageNode* Newest() const { return tail; }

    MessageNode* head = nullptr;
    MessageNode* tail = nullptr;
    MessageNode* free = nullptr;
    MessageNode* pool = nullptr;
    int count = 0;
    int capacity = 0;
    float speed = 4.0f;

protected:
    // Takes the first free node, fills it and appends it; null when the pool is spent.
    MessageNode* Append(const char* text, float x, float y, float z, float time, int kind, int achievement);
};

// Texts anchored in the world that rise 4 units a second and go after 1.5 s.
class FloatingTextList : public MessageList {
public:
    static constexpr float LIFE = 1.5f;

    // Refused silently when the list is full.
    void Add(const char* text, float x, float y, float z);
    void Update(float dt);
    // Each text at its projected point; nothing while a window has the keyboard or a modal
    // window is open.
    void Draw();
};

// Pop-ups, shown one after another, each for its own seconds; the queue stands still and is not
// drawn while a modal window is open or the character screen is open during a mission.
class AchievementPopup : public MessageList {
public:
    AchievementPopup();
    ~AchievementPopup() override;

    // A further pop-up when all 100 are queued is dropped, with a line in the log.
    MessageNode* Add(const char* text, float seconds, int kind, int achievement);
    void Update(float dt);
    void Draw();

    Sprite* backdrop = nullptr;
    Sprite* badge = nullptr;
    Sprite* icon = nullptr;
    int centreX = 0, centreY = 0;
};

// The column of timed lines at the left edge, oldest at the top.
class MessageBar : public MessageList {
public:
    MessageBar();
    ~MessageBar() override;

    // Refused (null) when the bar is full, or when the text repeats the newest line.
    MessageNode* AddMessage(const char* text, float seconds, int kind);
    // Every line ages in the same frame; nothing ages, and nothing is drawn, while a modal window
    // is open or the character screen is open during a mission.
    void Update(float dt);
    void Draw();

    Sprite* icon = nullptr;
    int barX = 0, barY = 0;
};

// The game's HUD font of that slot, or null (no game, or no HUD yet).
Font* HudFont(int slot);
