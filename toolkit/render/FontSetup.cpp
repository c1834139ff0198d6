#include "toolkit/render/FontSetup.hpp"

#include <cstring>
#include <filesystem>
#include <vector>

namespace ui::text {
namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

const FcChar8* fc(const std::string& s) {
    return reinterpret_cast<const FcChar8*>(s.c_str());
}

// Caches loaded while checking them, held until the fonts are loaded: while
// a cache is held, fontconfig uses it again instead of mapping it anew.
class HeldCaches {
  public:
    HeldCaches() = default;
    HeldCaches(const HeldCaches&) = delete;
    HeldCaches& operator=(const HeldCaches&) = delete;
    ~HeldCaches() {
        for (FcCache* cache : caches_) FcDirCacheUnload(cache);
    }
    void hold(FcCache* cache) { caches_.push_back(cache); }

  private:
    std::vector<FcCache*> caches_;
};

// Whether `folder` and every subfolder its cache lists have an up-to-date
// cache that `config` reads. fontconfig checks the same when it loads the
// fonts, and writes a new cache where the check fails; asking first is what
// keeps the app from ever writing one.
bool hasCurrentCache(const FcChar8* folder, FcConfig* config, HeldCaches& held, int depth = 0) {
    FcCache* cache = FcDirCacheLoad(folder, config, nullptr);
    if (!cache) return false;
    held.hold(cache);
    // Font folders are shallow; the limit only guards against a cache that
    // lists its own folder.
    if (depth > 8) return false;
    for (int i = 0; i < FcCacheNumSubdir(cache); ++i) {
        if (!hasCurrentCache(FcCacheSubdir(cache, i), config, held, depth + 1)) return false;
    }
    return true;
}

bool hasFamily(FcFontSet* fonts, const char* family) {
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8* name = nullptr;
        for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &name) == FcResultMatch;
             ++n) {
            if (std::strcmp(reinterpret_cast<const char*>(name), family) == 0) return true;
        }
    }
    return false;
}

}  // namespace

std::string appFontConfigXml(const AppFontFolders& folders) {
    std::string xml =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
        "<fontconfig>\n";
    for (const std::string& folder : folders.folders) {
        if (isFolder(folder)) xml += "  <dir>" + escaped(folder) + "</dir>\n";
    }
    xml += "  <cachedir>" + escaped(folders.cacheFolder) + "</cachedir>\n";
    // The app never asks for italics or for Inter Display, and takes only
    // the monospaced face of DejaVu (as the stand-in for JetBrains Mono):
    // every font left out is one fewer to sort for each font asked for.
    xml +=
        "  <selectfont>\n"
        "    <rejectfont>\n"
        "      <glob>*Italic*</glob>\n"
        "      <glob>*Oblique*</glob>\n"
        "      <glob>*/InterDisplay-*</glob>\n"
        "      <glob>*/DejaVu*</glob>\n"
        "    </rejectfont>\n"
        "    <acceptfont>\n"
        "      <glob>*/DejaVuSansMono.ttf</glob>\n"
        "      <glob>*/DejaVuSansMono-Bold.ttf</glob>\n"
        "    </acceptfont>\n"
        "  </selectfont>\n"
        // Without JetBrains Mono the monospaced design is set in DejaVu
        // Sans Mono rather than in whatever face matches best otherwise.
        "  <alias binding=\"same\">\n"
        "    <family>JetBrains Mono</family>\n"
        "    <accept><family>DejaVu Sans Mono</family></accept>\n"
        "  </alias>\n"
        "</fontconfig>\n";
    return xml;
}

FontConfigPtr makeAppFontConfig(const AppFontFolders& folders) {
    FontConfigPtr config(FcConfigCreate());
    if (!config) return nullptr;
    const std::string xml = appFontConfigXml(folders);
    if (!FcConfigParseAndLoadFromMemory(config.get(), fc(xml), FcFalse)) return nullptr;
    HeldCaches held;
    for (const std::string& folder : folders.folders) {
        if (isFolder(folder) && !hasCurrentCache(fc(folder), config.get(), held)) return nullptr;
    }
    // The font list is fixed for the life of the process: a rescan could
    // only find a folder changed under us, and would then write its cache.
    FcConfigSetRescanInterval(config.get(), 0);
    if (!FcConfigBuildFonts(config.get())) return nullptr;

    FcFontSet* fonts = FcConfigGetFonts(config.get(), FcSetSystem);
    bool complete = hasFamily(fonts, "Inter") && hasFamily(fonts, "Material Icons") &&
                    (hasFamily(fonts, "JetBrains Mono") || hasFamily(fonts, "DejaVu Sans Mono"));
    if (!complete) return nullptr;
    return config;
}

FontConfiguration setUpFonts() {
    static const FontConfiguration configuration = [] {
        FontConfigPtr config = makeAppFontConfig(AppFontFolders{});
        // fontconfig keeps its own reference to the current configuration.
        if (!config || !FcConfigSetCurrent(config.get())) return FontConfiguration::system;
        return FontConfiguration::app;
    }();
    return configuration;
}

}  // namespace ui::text
