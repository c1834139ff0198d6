#include "resources/Localization.hpp"

#include <libintl.h>

#include <clocale>
#include <cstring>
#include <mutex>

#include "resources/Bundle.hpp"

namespace resources {
namespace {

constexpr const char* kTextDomain = "norvel-health";

// gettext binds a domain to one directory for the whole process, so the
// binding follows whichever bundle asked last. The app only ever asks the
// main bundle; tests open others.
std::mutex bindingMutex;
std::string boundDirectory;
bool localeInitialised = false;

void bindDomain(const std::filesystem::path& bundlePath) {
    std::lock_guard lock(bindingMutex);
    if (!localeInitialised) {
        localeInitialised = true;
        // A program that never called setlocale runs in the "C" locale, where
        // gettext ignores LANGUAGE and translates nothing. Take the message
        // language from the environment then, as any program that shows
        // translated text does, without touching the other categories.
        const char* current = std::setlocale(LC_MESSAGES, nullptr);
        if (current && std::strcmp(current, "C") == 0) std::setlocale(LC_MESSAGES, "");
    }
    const std::string directory = (bundlePath / "locale").string();
    if (directory != boundDirectory) {
        bindtextdomain(kTextDomain, directory.c_str());
        bind_textdomain_codeset(kTextDomain, "UTF-8");
        boundDirectory = directory;
    }
}

}  // namespace

std::string Bundle::localizedString(const std::string& key) const {
    // The empty msgid is where a catalogue keeps its header; an empty key
    // must stay empty.
    // gettext sees C strings: a key with a NUL inside would be cut short,
    // and no catalogue key has one, so it is shown as written.
    if (key.empty() || key.find('\0') != std::string::npos) return key;
    bindDomain(path_);
    return dgettext(kTextDomain, key.c_str());
}

std::string localizedString(const std::string& key) {
    return Bundle::main().localizedString(key);
}

}  // namespace resources
