#pragma once

// The accessible objects a screen reader talks to, as ATK sees them. They
// live on the bridge's thread only: created, changed and read there.
//
// Each object carries a copy of its node from the latest snapshot and the
// list of its children. The bridge learns which D-Bus interfaces an object
// has from its GType, so there is one type per combination: every object
// is a Component; windows (the frame, an alert, a sheet) add Window,
// labels add Text, push buttons add Action.

#include <atk/atk.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/a11y/AccessibleTree.hpp"

namespace ui::a11y {

// What the bus asked of an object, for the UI thread to carry out.
struct Request {
    enum class Kind { click, focus };
    Kind kind = Kind::click;
    std::string id;
};

// Shared by all objects of one tree: the window's place on the screen and
// where requests go.
struct ObjectContext {
    int windowX = 0, windowY = 0;
    std::function<void(Request)> request;
};

AtkObject* newApplication(const char* name);
AtkObject* newObject(const AccessibleNode& node, const ObjectContext& context, AtkObject* parent);

// The node an object shows; changing it announces nothing by itself.
const AccessibleNode& nodeOf(AtkObject* object);
void setNode(AtkObject* object, const AccessibleNode& node);
// The object's children, front last. The list holds one reference each.
std::vector<AtkObject*>& childrenOf(AtkObject* object);
// An object whose view has gone: it answers as defunct from now on,
// whoever still holds a reference to it.
void markDefunct(AtkObject* object);

}  // namespace ui::a11y
