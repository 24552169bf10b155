// Where a texture comes from: the patch package, the GUI package, the low-detail package or a
// "low/" file, the main package, or the loose file, and at which size.
#include "render/GraphicsDevice.h"

#include "host/GfxTexture.h"
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/PackageFile.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

#include <string>

namespace {

constexpr uint32_t PATCH = 0xFFFF0000;
constexpr uint32_t GUI = 0xFF00FF00;
constexpr uint32_t LOW = 0xFF0000FF;
constexpr uint32_t MAIN = 0xFFFFFF00;
constexpr uint32_t LOOSE = 0xFF00FFFF;
constexpr uint32_t LOOSE_LOW = 0xFFFF00FF;
constexpr uint32_t NONE = 0;

class TextureSearchTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        if (HasFatalFailure()) return;
        folder = MakeTempFolder("texture-search");
        CreateFolder((folder + "/tex").c_str());
        CreateFolder((folder + "/tex/low").c_str());
        CreateFolder((folder + "/gui").c_str());
        Install(&TexturePatchPackage, "patch.pkb", {{"patched.dds", SolidDds(PATCH)}});
        Install(&GuiPackage, "gui.pkb",
                {{"patched.dds", SolidDds(GUI)},
                 {"button.dds", SolidDds(GUI)},
                 {"guionly.dds", SolidDds(GUI)},
                 {"shadowed.dds", SolidDds(GUI)}});
        Install(&LowTexturePackage, "low.pkb",
                {{"patched.dds", SolidDds(LOW)}, {"button.dds", SolidDds(LOW)}, {"rock.dds", SolidDds(LOW)}});
        Install(&TexturePackage, "main.pkb",
                {{"patched.dds", SolidDds(MAIN)},
                 {"button.dds", SolidDds(MAIN)},
                 {"rock.dds", SolidDds(MAIN)},
                 {"plain.dds", SolidDds(MAIN)},
                 {"odd.dds", SolidDds(MAIN, 12, 6)}});
        WriteBytes(folder + "/tex/plain.dds", SolidDds(LOOSE));
        WriteBytes(folder + "/tex/low/plain.dds", SolidDds(LOOSE_LOW));
        WriteBytes(folder + "/tex/onlyloose.dds", SolidDds(LOOSE));
        WriteBytes(folder + "/tex/shadowed.dds", SolidDds(LOOSE));
        WriteBytes(folder + "/tex/low/onlyloose.dds", SolidDds(LOOSE_LOW));
    }

    void TearDown() override
    {
        slots.Restore();
        RenderTest::TearDown();
    }

    void Install(PackageFile** slot, const char* name, const TestEntries& entries)
    {
        slots.Install(slot, folder + "/" + name, entries);
    }

    // The colour the texture loaded with (NONE when it did not load), and its width.
    uint32_t Load(const std::string& name, uint32_t* width = nullptr, bool nonPow2 = false)
    {
        GfxBaseTexture* texture = nullptr;
        bool loaded = graphics->LoadTexture(name.c_str(), &texture, nonPow2, false);
        EXPECT_EQ(loaded, texture != nullptr) << name;
        if (!texture) return NONE;
        uint32_t colour = TexelAt(texture);
        if (width) *width = texture->GetWidth(0);
        texture->Release();
        return colour;
    }

    PackageSlots slots;
    std::string folder;
};

}  // namespace

TEST_F(TextureSearchTest, FirstPlaceThatHoldsTheFileWins)
{
    const std::string tex = folder + "/tex/";
    const std::string gui = folder + "/gui/";
    struct Case {
        std::string name;
        bool lowDetail;
        bool looseFiles;
        uint32_t expected;
    } const cases[] = {
        {tex + "patched.dds", false, false, PATCH},
        {gui + "patched.dds", true, false, PATCH},
        {gui + "button.dds", false, false, GUI},
        {gui + "button.dds", true, false, GUI},
        {"gui/button.dds", false, false, MAIN},  // no folder separator before gui/
        {tex + "button.dds", true, false, LOW},
        {tex + "rock.dds", true, false, LOW},
        {tex + "rock.dds", false, false, MAIN},
        {tex + "plain.dds", true, false, MAIN},  // a low/ file only stands in for a loose file
        {tex + "plain.dds", false, false, MAIN},
        {tex + "onlyloose.dds", false, false, LOOSE},
        {tex + "guionly.dds", false, false, GUI},    // a world name only the GUI package holds
        {tex + "shadowed.dds", false, false, LOOSE},  // ... but not over a loose file of its own
        {tex + "onlyloose.dds", true, false, LOOSE_LOW},
        {"d:" + tex + "onlyloose.dds", false, false, LOOSE},  // drive letters mean nothing here
        {tex + "plain.dds", false, true, LOOSE},
        {tex + "plain.dds", true, true, LOOSE_LOW},
        {tex + "patched.dds", false, true, NONE},  // packages skipped, no such loose file
        {tex + "missing.dds", false, false, NONE},
        {"NO_TEXTURE", false, false, NONE},
    };
    for (const Case& c : cases) {
        Config->useLowResTextures = c.lowDetail;
        ForceLooseTextureFiles = c.looseFiles;
        EXPECT_EQ(Load(c.name), c.expected) << c.name << " low " << c.lowDetail << " loose " << c.looseFiles;
    }
}

TEST_F(TextureSearchTest, FileSizedTexturesComeFromThePackagesToo)
{
    uint32_t width = 0;
    EXPECT_EQ(Load(folder + "/tex/odd.dds", &width, true), MAIN);
    EXPECT_EQ(width, 12u);
    EXPECT_EQ(Load(folder + "/tex/odd.dds", &width, false), MAIN);
    EXPECT_EQ(width, 16u);
    EXPECT_EQ(Load(folder + "/tex/onlyloose.dds", &width, true), LOOSE);
}

TEST_F(TextureSearchTest, CubeMapsComeFromTheMainPackageOrTheLooseFile)
{
    // Six faces of a cube map, packaged and loose.
    Image cube;
    ASSERT_TRUE(cube.Create(PixelFormat::A8R8G8B8, 4, 4, 1, 6));
    uint32_t* texels = reinterpret_cast<uint32_t*>(cube.pixels.data());
    for (size_t i = 0; i < cube.pixels.size() / 4; ++i) texels[i] = MAIN;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeImageFile(cube, ImageFileFormat::DDS, bytes));
    std::vector<unsigned char> dds(bytes.begin(), bytes.end());
    Install(&TexturePackage, "cube.pkb", {{"sky.dds", dds}});
    WriteBytes(folder + "/tex/loosesky.dds", dds);
    for (const std::string& name : {folder + "/tex/sky.dds", folder + "/tex/loosesky.dds"}) {
        GfxBaseTexture* texture = nullptr;
        EXPECT_TRUE(graphics->LoadCubeTexture(name.c_str(), &texture)) << name;
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetType(), RTYPE_CUBETEXTURE);
        texture->Release();
    }
    GfxBaseTexture* texture = nullptr;
    EXPECT_FALSE(graphics->LoadCubeTexture((folder + "/tex/rock.dds").c_str(), &texture));
    EXPECT_EQ(texture, nullptr);
}
