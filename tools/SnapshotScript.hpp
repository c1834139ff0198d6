#pragma once

// The snapshot tool's input scripts: one command a line, coordinates in
// window points. Blank lines and lines starting with '#' are ignored.
//
//   press X Y | move X Y | release | tap X Y | wait MS | scroll DY
//   key escape|return|pageup|pagedown|up|down|home|end|tab|shift+tab|space|ctrl+c

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace snapshot {

struct Command {
    enum class Kind { press, move, release, tap, wait, scroll, key };
    Kind kind = Kind::release;
    double x = 0;  // press, move, tap
    double y = 0;
    double amount = 0;  // wait: milliseconds; scroll: points
    std::string key;    // key: the key's name as written
    int line = 0;
};

struct ScriptError {
    int line = 0;
    std::string message;
};

struct ParsedScript {
    std::vector<Command> commands;
    std::optional<ScriptError> error;  // the first bad line; no commands then
};

ParsedScript parseScript(std::string_view text);

// Parses a whole decimal number the way the script wants it: optional sign,
// digits with an optional fraction, nothing else, finite.
std::optional<double> parseNumber(std::string_view text);

}  // namespace snapshot
