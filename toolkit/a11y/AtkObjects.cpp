#include "toolkit/a11y/AtkObjects.hpp"

#include <algorithm>
#include <utility>

namespace ui::a11y {

namespace {

struct Data {
    AccessibleNode node;
    std::vector<AtkObject*> children;
    const ObjectContext* context = nullptr;
    bool defunct = false;
    bool application = false;
};

// GObject instances are plain C structs: the C++ parts live behind a
// pointer made in init and deleted in finalize.
struct NorvelAccessible {
    AtkObject parent;
    Data* data;
};
struct NorvelAccessibleClass {
    AtkObjectClass parentClass;
};

Data& dataOf(gpointer object) {
    return *reinterpret_cast<NorvelAccessible*>(object)->data;
}

void componentInit(AtkComponentIface* iface);
void actionInit(AtkActionIface* iface);
void textInit(AtkTextIface* iface);
void windowInit(AtkWindowIface*) {}

G_DEFINE_TYPE_WITH_CODE(NorvelAccessible, norvel_accessible, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, componentInit))

struct NorvelButton {
    NorvelAccessible parent;
};
struct NorvelButtonClass {
    NorvelAccessibleClass parentClass;
};
G_DEFINE_TYPE_WITH_CODE(NorvelButton, norvel_button, norvel_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, actionInit))
struct NorvelLabel {
    NorvelAccessible parent;
};
struct NorvelLabelClass {
    NorvelAccessibleClass parentClass;
};
G_DEFINE_TYPE_WITH_CODE(NorvelLabel, norvel_label, norvel_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TEXT, textInit))
struct NorvelFrame {
    NorvelAccessible parent;
};
struct NorvelFrameClass {
    NorvelAccessibleClass parentClass;
};
G_DEFINE_TYPE_WITH_CODE(NorvelFrame, norvel_frame, norvel_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_WINDOW, windowInit))

void norvel_button_class_init(NorvelButtonClass*) {}
void norvel_button_init(NorvelButton*) {}
void norvel_label_class_init(NorvelLabelClass*) {}
void norvel_label_init(NorvelLabel*) {}
void norvel_frame_class_init(NorvelFrameClass*) {}
void norvel_frame_init(NorvelFrame*) {}

void norvel_accessible_init(NorvelAccessible* self) {
    self->data = new Data();
}

void finalize(GObject* object) {
    Data* data = &dataOf(object);
    for (AtkObject* child : data->children) g_object_unref(child);
    delete data;
    G_OBJECT_CLASS(norvel_accessible_parent_class)->finalize(object);
}

gint nChildren(AtkObject* object) {
    return static_cast<gint>(dataOf(object).children.size());
}

AtkObject* refChild(AtkObject* object, gint i) {
    const auto& children = dataOf(object).children;
    if (i < 0 || static_cast<std::size_t>(i) >= children.size()) return nullptr;
    return ATK_OBJECT(g_object_ref(children[i]));
}

gint indexInParent(AtkObject* object) {
    AtkObject* parent = atk_object_get_parent(object);
    if (!parent) return -1;
    const auto& siblings = dataOf(parent).children;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i] == object) return static_cast<gint>(i);
    }
    return -1;
}

AtkStateSet* refStateSet(AtkObject* object) {
    AtkStateSet* set = ATK_OBJECT_CLASS(norvel_accessible_parent_class)->ref_state_set(object);
    const Data& data = dataOf(object);
    if (data.defunct) {
        atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
        return set;
    }
    if (data.application) return set;
    static constexpr std::pair<AccessibleState, AtkStateType> kStates[] = {
        {kShowing, ATK_STATE_SHOWING},     {kVisible, ATK_STATE_VISIBLE},
        {kEnabled, ATK_STATE_ENABLED},     {kSensitive, ATK_STATE_SENSITIVE},
        {kFocusable, ATK_STATE_FOCUSABLE}, {kFocused, ATK_STATE_FOCUSED},
        {kActive, ATK_STATE_ACTIVE},
    };
    for (auto [bit, state] : kStates) {
        if (data.node.states & bit) atk_state_set_add_state(set, state);
    }
    return set;
}

void norvel_accessible_class_init(NorvelAccessibleClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = finalize;
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->get_n_children = nChildren;
    atk->ref_child = refChild;
    atk->get_index_in_parent = indexInParent;
    atk->ref_state_set = refStateSet;
}

// ---- Component ------------------------------------------------------------

// Extents in the coordinates asked for: the screen (window origin added),
// the window, or the parent's frame.
PixelRect extentsIn(AtkComponent* component, AtkCoordType coords) {
    const Data& data = dataOf(component);
    PixelRect r = data.node.extents;
    if (data.application || data.defunct) return {-1, -1, -1, -1};
    if (coords == ATK_XY_SCREEN) {
        r.x += data.context->windowX;
        r.y += data.context->windowY;
    } else if (coords == ATK_XY_PARENT) {
        AtkObject* parent = atk_object_get_parent(ATK_OBJECT(component));
        if (parent && !dataOf(parent).application) {
            r.x -= dataOf(parent).node.extents.x;
            r.y -= dataOf(parent).node.extents.y;
        }
    }
    return r;
}

void getExtents(AtkComponent* component, gint* x, gint* y, gint* w, gint* h, AtkCoordType coords) {
    PixelRect r = extentsIn(component, coords);
    if (x) *x = r.x;
    if (y) *y = r.y;
    if (w) *w = r.width;
    if (h) *h = r.height;
}

// Front to back: the last child painted is the first to take the point, and
// only what is showing can be found, so a point on a presentation never
// finds what it covers.
AtkObject* refAccessibleAtPoint(AtkComponent* component, gint x, gint y, AtkCoordType coords) {
    const auto& children = dataOf(component).children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (!(dataOf(*it).node.states & kShowing)) continue;
        if (extentsIn(ATK_COMPONENT(*it), coords).contains(x, y)) {
            return ATK_OBJECT(g_object_ref(*it));
        }
    }
    return nullptr;
}

AtkLayer getLayer(AtkComponent* component) {
    Role role = dataOf(component).node.role;
    if (role == Role::frame) return ATK_LAYER_WINDOW;
    if (role == Role::alert || role == Role::dialog) return ATK_LAYER_POPUP;
    return ATK_LAYER_WIDGET;
}

// What a client asks of an object runs later on the UI thread, never inside
// the D-Bus dispatch, and only while the object can take it.
gboolean request(const Data& data, AccessibleState needed, Request::Kind kind) {
    if (data.defunct || !(data.node.states & needed)) return FALSE;
    data.context->request({kind, data.node.id});
    return TRUE;
}

gboolean grabFocus(AtkComponent* component) {
    return request(dataOf(component), kFocusable, Request::Kind::focus);
}

void componentInit(AtkComponentIface* iface) {
    iface->get_extents = getExtents;
    iface->ref_accessible_at_point = refAccessibleAtPoint;
    iface->get_layer = getLayer;
    iface->grab_focus = grabFocus;
}

// ---- Action (push buttons) ---------------------------------------------------

gint nActions(AtkAction*) {
    return 1;
}
const gchar* actionName(AtkAction*, gint i) {
    return i == 0 ? "click" : nullptr;
}
const gchar* actionDescription(AtkAction*, gint i) {
    return i == 0 ? "Presses the button" : nullptr;
}

gboolean doAction(AtkAction* action, gint i) {
    return i == 0 ? request(dataOf(action), kSensitive, Request::Kind::click) : FALSE;
}

void actionInit(AtkActionIface* iface) {
    iface->get_n_actions = nActions;
    iface->get_name = actionName;
    iface->get_description = actionDescription;
    iface->do_action = doAction;
}

// ---- Text (labels, read-only) ------------------------------------------------

const std::string& textOf(AtkText* text) {
    static const std::string none;
    const Data& data = dataOf(text);
    return data.defunct ? none : data.node.name;
}

gint characterCount(AtkText* text) {
    return static_cast<gint>(g_utf8_strlen(textOf(text).c_str(), -1));
}

gchar* getText(AtkText* text, gint start, gint end) {
    const std::string& s = textOf(text);
    glong n = g_utf8_strlen(s.c_str(), -1);
    if (end < 0 || end > n) end = static_cast<gint>(n);
    start = std::clamp<gint>(start, 0, end);
    return g_utf8_substring(s.c_str(), start, end);
}

gunichar characterAt(AtkText* text, gint offset) {
    const std::string& s = textOf(text);
    if (offset < 0 || offset >= g_utf8_strlen(s.c_str(), -1)) return 0;
    return g_utf8_get_char(g_utf8_offset_to_pointer(s.c_str(), offset));
}

gint caretOffset(AtkText*) {
    return -1;
}

// A label's text, as a screen reader walks it by character, word or line.
// Each label is one line: a wrapped text's line breaks are the painter's,
// and reading it whole is what a listener wants. Words run between spaces.
gchar* stringAt(AtkText* text, gint offset, AtkTextGranularity granularity, gint* start,
                gint* end) {
    const std::string& s = textOf(text);
    gint n = static_cast<gint>(g_utf8_strlen(s.c_str(), -1));
    gint from = 0, to = n;
    if (offset < 0 || offset >= n) {
        from = to = std::clamp(offset, 0, n);
    } else if (granularity == ATK_TEXT_GRANULARITY_CHAR) {
        from = offset;
        to = offset + 1;
    } else if (granularity == ATK_TEXT_GRANULARITY_WORD) {
        auto at = [&](gint i) { return g_utf8_get_char(g_utf8_offset_to_pointer(s.c_str(), i)); };
        from = offset;
        while (from > 0 && !g_unichar_isspace(at(from - 1))) --from;
        to = offset;
        while (to < n && !g_unichar_isspace(at(to))) ++to;
        while (to < n && g_unichar_isspace(at(to))) ++to;  // a word takes its trailing space
    }
    if (start) *start = from;
    if (end) *end = to;
    return g_utf8_substring(s.c_str(), from, to);
}

gchar* textAtOffset(AtkText* text, gint offset, AtkTextBoundary boundary, gint* start, gint* end) {
    AtkTextGranularity granularity = ATK_TEXT_GRANULARITY_LINE;
    if (boundary == ATK_TEXT_BOUNDARY_CHAR) granularity = ATK_TEXT_GRANULARITY_CHAR;
    if (boundary == ATK_TEXT_BOUNDARY_WORD_START || boundary == ATK_TEXT_BOUNDARY_WORD_END) {
        granularity = ATK_TEXT_GRANULARITY_WORD;
    }
    return stringAt(text, offset, granularity, start, end);
}

// Where characters are, for a screen reader's review of the screen: the
// label's box, divided evenly among its characters (the glyphs' own
// positions are the painter's business, and a review only needs order and
// lines).
void rangeExtents(AtkText* text, gint start, gint end, AtkCoordType coords, AtkTextRectangle* r) {
    PixelRect box = extentsIn(ATK_COMPONENT(text), coords);
    gint n = std::max(characterCount(text), 1);
    start = std::clamp(start, 0, n);
    end = std::clamp(end, start, n);
    r->x = box.x + box.width * start / n;
    r->y = box.y;
    r->width = box.width * end / n - box.width * start / n;
    r->height = box.height;
}

void characterExtents(AtkText* text, gint offset, gint* x, gint* y, gint* w, gint* h,
                      AtkCoordType coords) {
    AtkTextRectangle r{};
    rangeExtents(text, offset, offset + 1, coords, &r);
    if (x) *x = r.x;
    if (y) *y = r.y;
    if (w) *w = r.width;
    if (h) *h = r.height;
}

void textInit(AtkTextIface* iface) {
    iface->get_text = getText;
    iface->get_character_count = characterCount;
    iface->get_character_at_offset = characterAt;
    iface->get_caret_offset = caretOffset;
    iface->get_string_at_offset = stringAt;
    iface->get_text_at_offset = textAtOffset;
    iface->get_range_extents = rangeExtents;
    iface->get_character_extents = characterExtents;
}

GType typeFor(const AccessibleNode& node) {
    // Alerts and sheets are windows too: a screen reader follows their
    // activation as it follows the frame's.
    if (isWindow(node.role)) return norvel_frame_get_type();
    if (node.clickable) return norvel_button_get_type();
    if (node.hasText) return norvel_label_get_type();
    return norvel_accessible_get_type();
}

AtkRole atkRole(Role role) {
    switch (role) {
        case Role::frame:
            return ATK_ROLE_FRAME;
        case Role::label:
            return ATK_ROLE_LABEL;
        case Role::pushButton:
            return ATK_ROLE_PUSH_BUTTON;
        case Role::alert:
            return ATK_ROLE_ALERT;
        case Role::dialog:
            return ATK_ROLE_DIALOG;
    }
    return ATK_ROLE_UNKNOWN;
}

}  // namespace

AtkObject* newApplication(const char* name) {
    AtkObject* object = ATK_OBJECT(g_object_new(norvel_accessible_get_type(), nullptr));
    dataOf(object).application = true;
    atk_object_set_role(object, ATK_ROLE_APPLICATION);
    atk_object_set_name(object, name);
    return object;
}

AtkObject* newObject(const AccessibleNode& node, const ObjectContext& context, AtkObject* parent) {
    AtkObject* object = ATK_OBJECT(g_object_new(typeFor(node), nullptr));
    Data& data = dataOf(object);
    data.node = node;
    data.context = &context;
    atk_object_set_role(object, atkRole(node.role));
    atk_object_set_name(object, node.name.c_str());
    if (!node.description.empty()) atk_object_set_description(object, node.description.c_str());
    atk_object_set_parent(object, parent);
    return object;
}

const AccessibleNode& nodeOf(AtkObject* object) {
    return dataOf(object).node;
}

void setNode(AtkObject* object, const AccessibleNode& node) {
    dataOf(object).node = node;
}

std::vector<AtkObject*>& childrenOf(AtkObject* object) {
    return dataOf(object).children;
}

void markDefunct(AtkObject* object) {
    dataOf(object).defunct = true;
}

}  // namespace ui::a11y
