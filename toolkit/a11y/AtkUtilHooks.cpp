#include "toolkit/a11y/AtkUtilHooks.hpp"

#include <map>

namespace ui::a11y {

namespace {

AtkObject* gRoot = nullptr;

struct Hook {
    guint signal = 0;
    gulong hook = 0;
};
// Touched only on the bridge's thread, which is the only one calling ATK.
std::map<guint, Hook>& hooks() {
    static auto* table = new std::map<guint, Hook>();
    return *table;
}
guint gNextListener = 1;

// The bridge asks for events as "Toolkit:Type:signal", e.g.
// "Gtk:AtkObject:property-change". Anything else, such as the old
// "window:create" form, is refused, so the bridge listens to AtkWindow's
// signals instead.
guint addGlobalEventListener(GSignalEmissionHook listener, const gchar* eventType) {
    gchar** parts = g_strsplit(eventType, ":", 3);
    guint id = 0;
    if (g_strv_length(parts) == 3) {
        GType type = g_type_from_name(parts[1]);
        if (type) {
            // The class or interface must exist before its signals can be
            // looked up; the reference is kept for the process's life.
            if (G_TYPE_IS_INTERFACE(type)) {
                g_type_default_interface_ref(type);
            } else {
                g_type_class_ref(type);
            }
            if (guint signal = g_signal_lookup(parts[2], type)) {
                gulong hook = g_signal_add_emission_hook(signal, 0, listener, nullptr, nullptr);
                id = gNextListener++;
                hooks()[id] = {signal, hook};
            }
        }
    }
    g_strfreev(parts);
    return id;
}

void removeGlobalEventListener(guint id) {
    auto found = hooks().find(id);
    if (found == hooks().end()) return;
    g_signal_remove_emission_hook(found->second.signal, found->second.hook);
    hooks().erase(found);
}

AtkObject* getRoot() {
    return gRoot;
}
struct KeyListener {
    AtkKeySnoopFunc listener = nullptr;
    gpointer data = nullptr;
};
std::map<guint, KeyListener>& keyListeners() {
    static auto* table = new std::map<guint, KeyListener>();
    return *table;
}
guint gNextKeyListener = 1;

guint addKeyEventListener(AtkKeySnoopFunc listener, gpointer data) {
    guint id = gNextKeyListener++;
    keyListeners()[id] = {listener, data};
    return id;
}

void removeKeyEventListener(guint id) {
    keyListeners().erase(id);
}

const gchar* toolkitName() {
    return "norvel-ui";
}
const gchar* toolkitVersion() {
    return "1.0";
}

}  // namespace

void installAtkUtil(AtkObject* root) {
    gRoot = root;
    // The class reference is never dropped: the patched table must stay.
    auto* util = static_cast<AtkUtilClass*>(g_type_class_ref(ATK_TYPE_UTIL));
    util->get_root = getRoot;
    util->get_toolkit_name = toolkitName;
    util->get_toolkit_version = toolkitVersion;
    util->add_global_event_listener = addGlobalEventListener;
    util->remove_global_event_listener = removeGlobalEventListener;
    util->add_key_event_listener = addKeyEventListener;
    util->remove_key_event_listener = removeKeyEventListener;
}

bool deliverKey(const KeyEvent& key) {
    AtkKeyEventStruct event{};
    event.type = key.press ? ATK_KEY_EVENT_PRESS : ATK_KEY_EVENT_RELEASE;
    event.state = key.state;
    event.keyval = key.keysym;
    event.length = static_cast<gint>(key.text.size());
    event.string = const_cast<gchar*>(key.text.c_str());
    event.keycode = key.keycode;
    event.timestamp = key.time;
    bool consumed = false;
    // A listener may remove itself while it runs: walk a copy.
    auto listeners = keyListeners();
    for (const auto& [id, l] : listeners) {
        if (l.listener(&event, l.data)) consumed = true;
    }
    return consumed;
}

}  // namespace ui::a11y
