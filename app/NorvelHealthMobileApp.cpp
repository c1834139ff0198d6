#include "app/NorvelHealthMobileApp.hpp"

#include <clocale>

#include "dashboard/ContentView.hpp"
#include "resources/Localization.hpp"
#include "toolkit/core/StringTable.hpp"

ui::WindowGroup Norvel_Health_MobileApp::body() const {
    return ui::WindowGroup([] { return ui::View(dashboard::ContentView()); });
}

namespace app {

void installPlatformServices() {
    // Messages follow the user's language (the catalogue is read as UTF-8
    // whatever the character locale); numbers and everything else stay in
    // the C locale, so parsing never depends on the desktop's settings.
    std::setlocale(LC_MESSAGES, "");
    ui::setStringTable([](const std::string& key) { return resources::localizedString(key); });
}

}  // namespace app
