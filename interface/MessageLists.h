#pragma once
// The timed message lists of play: the message bar's lines at the left edge, the achievement
// pop-ups and the texts floating over the world. Here is what the mission's bookkeeping and
// the per-frame update need of them: lines are added, age and are dropped. Their pools,
// icons and drawing come with the game interface's message lists.
struct MessageLine {
    char text[128];
    float time;  // seconds left
    int kind;
};

class MessageList {
public:
    static constexpr int CAPACITY = 100;

    // Ages every line by dt and drops those whose time has run out.
    void Update(float dt);
    void Clear() { count = 0; }
    const MessageLine* Newest() const { return count > 0 ? &lines[count - 1] : nullptr; }

    MessageLine lines[CAPACITY];
    int count = 0;

protected:
    MessageLine* Append(const char* text, float seconds, int kind);
};

class MessageBar : public MessageList {
public:
    // Refused (null) when the bar is full or the text repeats the newest line.
    MessageLine* AddMessage(const char* text, float seconds, int kind);
};

class AchievementPopup : public MessageList {
public:
    MessageLine* Add(const char* text, float seconds, int kind, int achievement);
};

class FloatingTextList : public MessageList {};
