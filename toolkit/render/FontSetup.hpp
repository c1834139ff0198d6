#pragma once

// Which fonts fontconfig offers the app.
//
// The system configuration (/etc/fonts with its dozens of conf.d files)
// costs more at start-up than laying out and painting the whole first
// frame: parsing it, and then applying its rules and sorting every font on
// the machine for each font the app asks for. The app uses three faces
// (Inter, JetBrains Mono or DejaVu Sans Mono, Material Icons), so it
// loads a configuration that lists only their folders and reads the
// system's font caches for them.
//
// That configuration never writes a cache: a folder whose cache is missing
// or out of date would make fontconfig scan it and write one, so then the
// app falls back to the system configuration instead, exactly as if this
// set-up did not exist (scripts/install-deps builds the caches with
// `fc-cache -s`).

#include <fontconfig/fontconfig.h>

#include <memory>
#include <string>
#include <vector>

namespace ui::text {

enum class FontConfiguration {
    app,     // only the app's font folders
    system,  // whatever fontconfig loads by itself
};

struct AppFontFolders {
    // Folders that are listed when they exist. Within them only the
    // upright faces are used, and of DejaVu only DejaVu Sans Mono.
    std::vector<std::string> folders{
        "/usr/share/fonts/opentype/inter",
        "/usr/share/fonts/truetype/jetbrains-mono",
        "/usr/share/fonts/truetype/material-design-icons-iconfont",
        "/usr/share/fonts/truetype/dejavu",
    };
    // Read, never written: the caches `fc-cache -s` made.
    std::string cacheFolder = "/var/cache/fontconfig";
};

// The XML of the app's configuration for the folders that exist.
std::string appFontConfigXml(const AppFontFolders& folders);

struct FontConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
using FontConfigPtr = std::unique_ptr<FcConfig, FontConfigDeleter>;

// Builds the app's configuration with its fonts loaded, or returns null
// (having written nothing) when a listed folder has no up-to-date cache in
// `cacheFolder`, or the fonts lack Inter, Material Icons or a monospaced
// face.
FontConfigPtr makeAppFontConfig(const AppFontFolders& folders);

// Makes the app's configuration fontconfig's current one, or leaves the
// system's in place when it cannot be built. Must run before Pango makes
// its font map (sharedContext() calls it first); later calls return the
// first answer and change nothing.
FontConfiguration setUpFonts();

}  // namespace ui::text
