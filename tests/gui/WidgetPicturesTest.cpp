// Every picture the edit box, the scroll list, the file browser and the dialogs ask for is one the
// texture generator makes, in the GUI's folders.
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/FileBrowser.h"
#include "gui/MessageDialogGui.h"
#include "gui/ScrollList.h"
#include "gui/Window.h"
#include "render/Sprite.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"

#include <map>
#include <set>
#include <string>

namespace {

void Collect(const Sprite* sprite, std::set<std::string>* textures)
{
    if (sprite && sprite->texture) textures->insert(sprite->texture->name);
}

// The quads of a window and its descendants, and the faces and pictures of its buttons.
void CollectWindow(const Window* window, std::set<std::string>* textures)
{
    for (int i = 0; i < window->pieceCount; ++i) Collect(window->pieces[i], textures);
    if (auto* button = dynamic_cast<const Button*>(window)) {
        Collect(button->pressedSprite, textures);
        Collect(button->unpressedSprite, textures);
        Collect(button->hoverImage, textures);
    }
    if (auto* box = dynamic_cast<const EditBox*>(window)) {
        Collect(box->focusSprite, textures);
        Collect(box->noFocusSprite, textures);
        Collect(box->caretSprite, textures);
    }
    for (const Window* child = window->firstChild; child; child = child->nextSibling) CollectWindow(child, textures);
}

void CollectList(const ScrollList& list, std::set<std::string>* textures)
{
    CollectWindow(list.listWindow, textures);
    for (const Sprite* sprite : {list.background, list.highlight, list.preview, list.rowIcons[0]})
        Collect(sprite, textures);
    for (auto* node = list.entries->head; node; node = node->next) textures->insert(node->value->icon);
}

}  // namespace

TEST_F(GuiTest, EveryPictureTheWidgetsAskForIsShipped)
{
    const std::string folder = MakeTempFolder("widget-pictures") + "/";
    ASSERT_TRUE(WriteTextFile(folder + "a.sav", "save"));

    std::set<std::string> textures;
    EditBox box("text", 10, 10, 200, 30, 4, nullptr, nullptr);
    CollectWindow(&box, &textures);
    FileBrowser browser;
    ASSERT_TRUE(browser.Create(folder.c_str(), 100, 100));
    CollectList(browser, &textures);
    MessageDialogGui message;
    ConfirmationDialogGui question;
    message.Build();
    question.Build();
    CollectWindow(message.window, &textures);
    CollectWindow(question.window, &textures);

    const std::map<std::string, std::string> shipped = ShippedTextureFiles();
    for (const std::string& path : textures) {
        auto found = shipped.find(TextureFile(path));
        ASSERT_NE(found, shipped.end()) << path << " is asked for but not made by the texture generator";
        EXPECT_EQ(found->second.rfind("gui/", 0), 0u) << path << " comes from " << found->second;
    }
    for (const char* name : {"editbox_focus.dds", "editbox_nofocus.dds", "editbox_cursor.dds", "arrows_updown.dds",
                             "solid_grey.dds", "thumbscroll.dds", "solid_black.dds", "highlight_darkblue.dds",
                             "blue.dds", "emptyslot.dds", "savefile.dds", "editor_icons_2.dds", "button.dds",
                             "button_red.dds", "wframe_blue.dds", "wframe_black.dds"}) {
        bool seen = false;
        for (const std::string& path : textures) seen = seen || TextureFile(path) == name;
        EXPECT_TRUE(seen) << name << " was never asked for";
    }
}
