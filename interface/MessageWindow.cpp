#include "interface/MessageWindow.h"

#include "host/System.h"

MessageWindow* TheMessageWindow = nullptr;

void MessageWindow::SetGiver(const char* name)
{
    CopyText(giver, sizeof giver, name ? name : "");
}

void MessageWindow::SetText(const char* value)
{
    CopyText(text, sizeof text, value ? value : "");
}

void MessageWindow::Show(bool show, bool complete)
{
    shown = show;
    missionComplete = show && complete;
}
