#include "toolkit/host/SdlX11Settings.hpp"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <span>
#include <string>

namespace ui {

namespace {

// One property's bytes, freed with XFree. Empty when the window or the
// property is missing, of another type, or larger than `maxBytes` (a
// property that does not fit is not read in part).
class Property {
  public:
    Property(Display* display, Window window, Atom property, Atom type, std::size_t maxBytes) {
        Atom actualType = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        // Length and offset are in 32-bit units.
        int status =
            XGetWindowProperty(display, window, property, 0, static_cast<long>(maxBytes / 4), False,
                               type, &actualType, &format, &items, &after, &data_);
        if (status != Success) data_ = nullptr;
        if (data_ && actualType == type && format == 8 && after == 0) size_ = items;
    }
    ~Property() {
        if (data_) XFree(data_);
    }
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;

    bool present() const { return size_ > 0; }
    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }
    // Xlib ends every property it returns with a zero byte.
    const char* text() const { return reinterpret_cast<const char*>(data_); }

  private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

// The resource database is a few kilobytes on any desktop.
constexpr std::size_t kMaxResourceBytes = 1 << 20;

void addEventMask(Display* display, Window window, long mask) {
    // SDL may listen on the root window too; selecting replaces this
    // client's mask, so it is widened, never narrowed.
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes)) mask |= attributes.your_event_mask;
    XSelectInput(display, window, mask);
}

}  // namespace

std::unique_ptr<X11DesktopSettings> X11DesktopSettings::watch(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    Display* display = info.info.x11.display;
    std::unique_ptr<X11DesktopSettings> watcher(
        new X11DesktopSettings(display, DefaultScreen(display)));
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    return watcher;
}

X11DesktopSettings::X11DesktopSettings(_XDisplay* display, int screen) : display_(display) {
    XrmInitialize();
    root_ = RootWindow(display_, screen);
    std::string selection = "_XSETTINGS_S" + std::to_string(screen);
    selection_ = XInternAtom(display_, selection.c_str(), False);
    settingsAtom_ = XInternAtom(display_, "_XSETTINGS_SETTINGS", False);
    managerAtom_ = XInternAtom(display_, "MANAGER", False);
    // Property changes bring new resources; structure events on the root
    // window include the MANAGER message a new daemon sends.
    addEventMask(display_, root_, PropertyChangeMask | StructureNotifyMask);
    findSettingsManager();
    readSettingsManager();
    readResources();
}

X11DesktopSettings::~X11DesktopSettings() {
    // SDL turns the X events off with its video subsystem; turning them off
    // here as well keeps them from piling up in the queue if the host
    // closes before SDL does.
    SDL_EventState(SDL_SYSWMEVENT, SDL_IGNORE);
}

void X11DesktopSettings::findSettingsManager() {
    // Between asking who owns the selection and listening on that window,
    // the daemon could quit and we would never hear of it; the grab keeps
    // other clients still meanwhile. A window gone anyway gives BadWindow,
    // which the host's error handler drops.
    XGrabServer(display_);
    manager_ = XGetSelectionOwner(display_, selection_);
    if (manager_ != None)
        XSelectInput(display_, manager_, PropertyChangeMask | StructureNotifyMask);
    XUngrabServer(display_);
    XFlush(display_);
    settings_.hasSettingsManager = manager_ != None;
}

void X11DesktopSettings::readSettingsManager() {
    std::optional<XSettings> parsed;
    if (manager_ != None) {
        Property property(display_, manager_, settingsAtom_, settingsAtom_, kMaxXSettingsBytes);
        if (property.present()) parsed = parseXSettings(property.bytes());
    }
    takeXSettings(settings_, parsed);
}

void X11DesktopSettings::readResources() {
    // XResourceManagerString would give the resources as they were when
    // the connection opened; the property itself is what xrdb changes.
    settings_.resourceDpi.reset();
    Property property(display_, root_, XA_RESOURCE_MANAGER, XA_STRING, kMaxResourceBytes);
    if (!property.present()) return;
    XrmDatabase database = XrmGetStringDatabase(property.text());
    if (!database) return;
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        std::string text(value.addr, value.size);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        settings_.resourceDpi = parseResourceDpi(text.c_str());
    }
    XrmDestroyDatabase(database);
}

bool X11DesktopSettings::handle(const SDL_Event& event) {
    if (event.type != SDL_SYSWMEVENT || !event.syswm.msg ||
        event.syswm.msg->subsystem != SDL_SYSWM_X11) {
        return false;
    }
    const XEvent& x = event.syswm.msg->msg.x11.event;
    DesktopSettings before = settings_;
    switch (x.type) {
        case PropertyNotify:
            if (x.xproperty.window == root_ && x.xproperty.atom == XA_RESOURCE_MANAGER) {
                readResources();
            } else if (x.xproperty.window == manager_ && x.xproperty.atom == settingsAtom_) {
                readSettingsManager();
            }
            break;
        case ClientMessage:
            // A daemon that takes the selection says so to every client.
            if (x.xclient.window == root_ && x.xclient.message_type == managerAtom_ &&
                static_cast<Atom>(x.xclient.data.l[1]) == selection_) {
                findSettingsManager();
                readSettingsManager();
            }
            break;
        case DestroyNotify:
            // The daemon quit: another may already hold the selection.
            if (manager_ != None && x.xdestroywindow.window == manager_) {
                findSettingsManager();
                readSettingsManager();
            }
            break;
        default:
            break;
    }
    return !(settings_ == before);
}

}  // namespace ui
