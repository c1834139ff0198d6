#include "app/NorvelHealthMobileApp.hpp"

// The arguments are ignored: the app has no command line. The runner comes
// back with 0 when the window closes; the one failure it reports is having
// no display to open a window on, which exits 1.
int main(int, char**) {
    app::installPlatformServices();
    return Norvel_Health_MobileApp::main();
}
