#include "interface/MessageLists.h"

#include "host/System.h"

#include <cstring>

void MessageList::Update(float dt)
{
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        lines[i].time -= dt;
        if (lines[i].time > 0.0f) lines[kept++] = lines[i];
    }
    count = kept;
}

MessageLine* MessageList::Append(const char* text, float seconds, int kind)
{
    if (count >= CAPACITY) return nullptr;
    MessageLine& line = lines[count++];
    CopyText(line.text, sizeof line.text, text ? text : "");
    line.time = seconds;
    line.kind = kind;
    return &line;
}

MessageLine* MessageBar::AddMessage(const char* text, float seconds, int kind)
{
    if (!text) return nullptr;
    const MessageLine* newest = Newest();
    if (newest && strcmp(newest->text, text) == 0) return nullptr;
    return Append(text, seconds, kind);
}

MessageLine* AchievementPopup::Add(const char* text, float seconds, int kind, int)
{
    return Append(text, seconds, kind);
}
