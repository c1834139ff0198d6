#include <gtest/gtest.h>
#include <pango/pangocairo.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "toolkit/render/FontSetup.hpp"
#include "toolkit/render/PangoText.hpp"

namespace ui::text {
namespace {

namespace fs = std::filesystem;

const AppFontFolders kSystemFolders;
const std::string kInter = "/usr/share/fonts/opentype/inter";
const std::string kMaterial = "/usr/share/fonts/truetype/material-design-icons-iconfont";
const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu";

std::string firstFamily(FcPattern* font) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(font, FC_FAMILY, 0, &name) != FcResultMatch) return {};
    return reinterpret_cast<const char*>(name);
}

std::string fileOf(FcPattern* font) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) return {};
    return reinterpret_cast<const char*>(file);
}

// Every file and folder under `root`, with sizes, to show nothing changed.
std::set<std::string> listing(const fs::path& root) {
    std::set<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        entries.insert(e.path().string() + " " +
                       (e.is_regular_file() ? std::to_string(e.file_size()) : "dir"));
    }
    return entries;
}

// A scratch tree of font folders made of copies of the system's fonts, and
// an empty cache folder of its own.
class ScratchFonts : public testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("norvel-fonts-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        folders_.folders = {copy(kInter + "/Inter-Regular.otf", "inter"),
                            copy(kMaterial + "/MaterialIcons-Regular.ttf", "icons"),
                            copy(kDejaVu + "/DejaVuSansMono.ttf", "mono")};
        folders_.cacheFolder = (root_ / "cache").string();
        fs::create_directories(folders_.cacheFolder);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string copy(const std::string& font, const std::string& folder) {
        fs::create_directories(root_ / folder);
        fs::copy_file(font, root_ / folder / fs::path(font).filename());
        return (root_ / folder).string();
    }

    // What `fc-cache` does for the scratch folders: scan them and write
    // their caches into the scratch cache folder.
    void writeCaches() {
        FontConfigPtr config(FcConfigCreate());
        std::string xml =
            "<fontconfig><cachedir>" + folders_.cacheFolder + "</cachedir></fontconfig>";
        ASSERT_TRUE(FcConfigParseAndLoadFromMemory(
            config.get(), reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue));
        for (const std::string& folder : folders_.folders) {
            FcCache* cache = FcDirCacheRead(reinterpret_cast<const FcChar8*>(folder.c_str()),
                                            FcTrue, config.get());
            ASSERT_NE(cache, nullptr) << folder;
            FcDirCacheUnload(cache);
        }
    }

    fs::path root_;
    AppFontFolders folders_;
};

TEST(FontSetup, ConfigurationListsTheFoldersThatExist) {
    AppFontFolders folders;
    folders.folders = {kInter, "/nonexistent/fonts", "/tmp/a&b<c>"};
    folders.cacheFolder = "/var/cache/fontconfig";
    std::string xml = appFontConfigXml(folders);
    EXPECT_NE(xml.find("<dir>" + kInter + "</dir>"), std::string::npos);
    EXPECT_EQ(xml.find("/nonexistent/fonts"), std::string::npos);
    EXPECT_NE(xml.find("<cachedir>/var/cache/fontconfig</cachedir>"), std::string::npos);

    fs::create_directories("/tmp/a&b<c>");
    EXPECT_NE(appFontConfigXml(folders).find("<dir>/tmp/a&amp;b&lt;c&gt;</dir>"),
              std::string::npos);
    fs::remove("/tmp/a&b<c>");
}

TEST(FontSetup, AppConfigurationHoldsOnlyTheUprightAppFaces) {
    FontConfigPtr config = makeAppFontConfig(kSystemFolders);
    ASSERT_NE(config, nullptr) << "are the font caches current? (scripts/install-deps)";
    FcFontSet* fonts = FcConfigGetFonts(config.get(), FcSetSystem);
    ASSERT_NE(fonts, nullptr);
    std::set<std::string> families;
    std::set<int> interWeights;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        std::string family = firstFamily(font);
        families.insert(family);
        int slant = -1;
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        EXPECT_EQ(slant, FC_SLANT_ROMAN) << fileOf(font);
        if (family == "Inter") {
            int weight = 0;
            FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
            interWeights.insert(weight);
        }
    }
    std::set<std::string> allowed{"Inter", "JetBrains Mono", "Material Icons", "DejaVu Sans Mono"};
    for (const std::string& family : families) EXPECT_TRUE(allowed.count(family)) << family;
    EXPECT_TRUE(families.count("Inter"));
    EXPECT_TRUE(families.count("Material Icons"));
    // Every weight the app can ask for has a face of its own.
    for (int weight : {FC_WEIGHT_THIN, FC_WEIGHT_EXTRALIGHT, FC_WEIGHT_LIGHT, FC_WEIGHT_REGULAR,
                       FC_WEIGHT_MEDIUM, FC_WEIGHT_SEMIBOLD, FC_WEIGHT_BOLD, FC_WEIGHT_EXTRABOLD,
                       FC_WEIGHT_BLACK}) {
        EXPECT_TRUE(interWeights.count(weight)) << "Inter weight " << weight;
    }
    // The machine has more fonts than these; they are left out on purpose.
    EXPECT_LT(fonts->nfont, 40);
}

TEST_F(ScratchFonts, FoldersWithCurrentCachesMakeTheConfiguration) {
    writeCaches();
    FontConfigPtr config = makeAppFontConfig(folders_);
    ASSERT_NE(config, nullptr);
    FcFontSet* fonts = FcConfigGetFonts(config.get(), FcSetSystem);
    ASSERT_NE(fonts, nullptr);
    EXPECT_EQ(fonts->nfont, 3);
}

TEST_F(ScratchFonts, AFolderWithoutACacheFallsBackAndWritesNothing) {
    std::set<std::string> before = listing(root_);
    EXPECT_EQ(makeAppFontConfig(folders_), nullptr);
    EXPECT_EQ(listing(root_), before);
}

TEST_F(ScratchFonts, AStaleCacheFallsBackAndWritesNothing) {
    writeCaches();
    // A font added after the caches were written makes its folder's cache
    // stale: the folder's modification time no longer matches the cache's
    // (moved on explicitly, since the copy may land in the same second).
    std::string mono = copy(kDejaVu + "/DejaVuSansMono-Bold.ttf", "mono");
    fs::last_write_time(mono, fs::last_write_time(mono) + std::chrono::seconds(5));
    std::set<std::string> before = listing(root_);
    EXPECT_EQ(makeAppFontConfig(folders_), nullptr);
    EXPECT_EQ(listing(root_), before);
}

TEST_F(ScratchFonts, MissingFacesFallBack) {
    // Without the icon font there would be no symbols.
    folders_.folders = {folders_.folders[0], folders_.folders[2]};
    writeCaches();
    EXPECT_EQ(makeAppFontConfig(folders_), nullptr);
}

TEST(FontSetup, PangoSetsTextInTheAppFaces) {
    ASSERT_EQ(setUpFonts(), FontConfiguration::app)
        << "are the font caches current? (scripts/install-deps)";
    PangoContext* context = sharedContext();
    FcFontSet* fonts = FcConfigGetFonts(FcConfigGetCurrent(), FcSetSystem);
    ASSERT_NE(fonts, nullptr);
    EXPECT_LT(fonts->nfont, 40);

    // The face Pango picks for a description: its family and weight.
    auto faceFor = [&](const char* description) {
        PangoFontDescription* desc = pango_font_description_from_string(description);
        PangoFont* font = pango_context_load_font(context, desc);
        pango_font_description_free(desc);
        std::string face;
        if (font) {
            PangoFontDescription* chosen = pango_font_describe(font);
            face = std::string(pango_font_description_get_family(chosen)) + " " +
                   std::to_string(pango_font_description_get_weight(chosen));
            pango_font_description_free(chosen);
            g_object_unref(font);
        }
        return face;
    };
    EXPECT_EQ(faceFor("Inter Semi-Bold 15px"), "Inter 600");
    EXPECT_EQ(faceFor("Inter 17px"), "Inter 400");
    EXPECT_EQ(faceFor("Inter Heavy 17px"), "Inter 900");
    EXPECT_EQ(faceFor("Material Icons 20px"), "Material Icons 400");
    std::string mono = faceFor("JetBrains Mono Semi-Bold 13px");
    EXPECT_TRUE(mono == "JetBrains Mono 600" || mono == "DejaVu Sans Mono 400") << mono;
    // A second call changes nothing.
    EXPECT_EQ(setUpFonts(), FontConfiguration::app);
}

}  // namespace
}  // namespace ui::text
