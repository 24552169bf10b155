// The console's line handling: the history, the word matching, the argument readers and the
// opening and closing of the console box. The commands themselves are in ConsoleCommands.cpp.
#include "tools/Console.h"
#include "tools/ConsoleTable.h"

#include "campaign/PlayerProfile.h"
#include "host/System.h"
#include "gui/EditBox.h"
#include "gui/WindowManager.h"
#include "interface/MissionHud.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "platform/ConfigFile.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "world/Entity.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

ConsoleHistory TheConsoleHistory;
bool CameraAutoRotate = false;
float CameraAutoRotateSpeed = 0.5f;

void ConsoleHistory::Remember(const char* line)
{
    if (!line) return;
    count = count + 1 > CONSOLE_HISTORY_ENTRIES ? CONSOLE_HISTORY_ENTRIES : count + 1;
    browse = count;
    strncpy(lines[count], line, CONSOLE_LINE_SIZE - 1);
    lines[count][CONSOLE_LINE_SIZE - 1] = '\0';
}

const char* ConsoleHistory::Step(bool back)
{
    if (back) {
        --browse;
        if (browse < 0) browse = count - 1;
    } else {
        ++browse;
        if (browse >= count) browse = 0;
    }
    if (browse < 0 || browse >= CONSOLE_HISTORY_ENTRIES) return nullptr;
    return lines[browse + 1];
}

void ConsoleHistory::Clear()
{
    *this = ConsoleHistory();
}

namespace {

bool BeginsWithNoCase(const char* line, const char* word)
{
    for (; *word; ++line, ++word)
        if (tolower((unsigned char)*line) != tolower((unsigned char)*word)) return false;
    return true;
}

}  // namespace

int MatchConsoleCommand(const char* line, const char** argument)
{
    if (argument) *argument = nullptr;
    if (!line || !*line) return -1;
    const size_t length = strlen(line);
    for (int i = 0; i < ConsoleTableSize; ++i) {
        const ConsoleEntry& entry = ConsoleTable[i];
        const size_t wordLength = strlen(entry.word);
        if (entry.whole) {
            if (length == wordLength && BeginsWithNoCase(line, entry.word)) return i;
            continue;
        }
        if (length < wordLength || !BeginsWithNoCase(line, entry.word)) continue;
        // The argument starts one character past the word, whatever that character is.
        if (argument && length > wordLength) *argument = line + wordLength + 1;
        return i;
    }
    return -1;
}

int ConsoleCommandCount() { return ConsoleTableSize; }

const char* ConsoleCommandWord(int index)
{
    return index >= 0 && index < ConsoleTableSize ? ConsoleTable[index].word : nullptr;
}

int GetIntArg(const char* line, const char* word, int defaultValue)
{
    if (!line || !word) return defaultValue;
    const size_t wordLength = strlen(word);
    // The word is matched as the table matches it, without regard to case, so "CREDITS 5"
    // gives 5 as "credits 5" does.
    if (!BeginsWithNoCase(line, word) || strlen(line) <= wordLength) return defaultValue;
    return atoi(line + wordLength + 1);
}

int ParseConsoleNumbers(const char* text, float* out, int most)
{
    if (!text || !out) return 0;
    int read = 0;
    const char* p = text;
    while (read < most) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') ++p;
        if (!*p) break;
        // Each number is read from a bounded copy: a token of any length is cut, never copied
        // past its buffer.
        char token[48];
        size_t n = 0;
        while (p[n] && p[n] != ' ' && p[n] != '\t' && p[n] != '\n' && p[n] != '\r') ++n;
        size_t kept = n < sizeof token - 1 ? n : sizeof token - 1;
        memcpy(token, p, kept);
        token[kept] = '\0';
        out[read++] = (float)atof(token);
        p += n;
    }
    return read;
}

int RunConsoleLine(const char* line)
{
    if (!line || !*line || !GetPlayerProfile()) return -1;
    TheConsoleHistory.Remember(line);
    const char* argument = nullptr;
    int index = MatchConsoleCommand(line, &argument);
    if (index < 0) return -1;
    const ConsoleEntry& entry = ConsoleTable[index];
    if (entry.needsArgument && !argument) return index;
    if (entry.reach != CONSOLE_AT_ONCE && TheGame && TheGame->state == GAME_STATE_PLAYING) {
        PlayerOrder order;
        order.kind = ORDER_CONSOLE;
        order.text = line;
        order.units = SelectionLevelNumbers();
        order.point = ConsolePlaceFromView(entry.reach);
        TheOrders.Give(order);
        return index;
    }
    entry.run(line, argument);
    return index;
}

int ConsoleCommand(void*, EditBox* box)
{
    if (!box || !TheGame) return 1;
    // The line is copied: a command may change the box (or open windows over it).
    char line[EditBox::TEXT_SIZE];
    strncpy(line, box->GetText(), sizeof line - 1);
    line[sizeof line - 1] = '\0';
    RunConsoleLine(line);
    box->SetText("");
    box->SetFocus(false);
    box->SetVisible(false);
    if (WindowMgr) {
        if (WindowMgr->focused == box) WindowMgr->focused = nullptr;
        WindowMgr->modal = nullptr;
    }
    return 1;
}

bool OpenConsole()
{
    EditBox* box = TheMissionHud.consoleEditBox;
    if (!box || !Config || !Config->debugMode) return false;
    box->enterCallback = ConsoleCommand;
    box->SetVisible(true);
    if (WindowMgr) {
        if (WindowMgr->focused && WindowMgr->focused != box) WindowMgr->focused->SetFocus(false);
        box->SetFocus(true);
        WindowMgr->focused = box;
        WindowMgr->modal = box;
    }
    return true;
}

bool ConsoleHasFocus()
{
    EditBox* box = TheMissionHud.consoleEditBox;
    return box && box->HasFocus() && box->IsVisible();
}

void BrowseConsoleHistory(bool back)
{
    EditBox* box = TheMissionHud.consoleEditBox;
    if (!box) return;
    if (const char* text = TheConsoleHistory.Step(back)) box->SetText(text);
}

void ReloadRecordTextures(Entity* entity)
{
    if (!entity || !entity->mesh || !Textures) return;
    for (const MeshMaterial& material : entity->mesh->materials)
        for (const char* name : {material.textureName, material.normalMapName, material.specularMapName})
            if (name[0] && StrICmp(name, "none") != 0 && StrICmp(name, "NO_TEXTURE") != 0)
                Textures->RecreateTexture(name);
}
