#pragma once

#include <functional>
#include <string>

#include "toolkit/core/View.hpp"

namespace ui {

// Looks a localisable key up in the app's string table. The toolkit knows
// no bundle: the app installs the lookup at start-up. Without one, keys
// show as written.
using StringTable = std::function<std::string(const std::string& key)>;

void setStringTable(StringTable table);

// The text a view shows for `string`: verbatim texts as they are; keys
// looked up, then their "%@" replaced by the argument (which itself is
// never looked up); in every case with NUL characters made visible (below).
// This is where a shown text is settled: measuring, painting, the tree dump,
// accessibility and copying all take the text from here.
std::string localized(const LocalizedString& string);

// `text` with every NUL character replaced by U+FFFD REPLACEMENT CHARACTER.
// A NUL cannot travel through the rest of the text path: Pango ends a text
// at its first NUL, and the clipboard and the accessibility bus take C
// strings, so a name holding one would be painted and copied cut short
// while the tree dump had all of it. U+FFFD is Unicode's mark for a
// character that cannot be shown; one per NUL keeps every damaged character
// in sight instead of dropping it. U+2400, the NUL symbol, would say more
// to a developer but nothing to a patient, and it could not always be
// drawn: Inter has neither character, and of the faces the app falls back
// to, DejaVu Sans Mono has U+FFFD but not U+2400 (only JetBrains Mono,
// which may be missing, has both).
std::string withVisibleNuls(std::string text);

}  // namespace ui
