#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace resources {

// libplist 2.2 parses recursively and copies every shared object of a binary
// list each time it is referenced. So a 100,000-deep XML or binary list
// overflows the stack, and a 200-byte binary list whose objects each point
// twice at the next expands to 2^40 nodes. Before any bytes reach libplist,
// this check measures the nesting depth and, for binary lists, the number of
// nodes after expansion, and refuses what is out of bounds. It also refuses
// binary dictionaries whose keys are not NUL-free strings: libplist asserts
// (and so aborts the app) when it hands such a key back. And it refuses
// lists in which libplist would cut a string short at a NUL character
// without a word: XML lists holding a NUL byte anywhere, and binary lists
// with an ASCII string object holding one. Such a value cannot be read as
// written, and a list we cannot read faithfully is refused whole, like any
// list that does not parse.
//
// The check does not judge whether the bytes are a valid property list; that
// stays libplist's job. It only guarantees that what it lets through parses
// within kMaxPlistDepth levels and kMaxPlistNodes nodes.
struct PlistLimits {
    int maxDepth;
    std::size_t maxNodes;
};

bool isWithinLimits(std::span<const std::uint8_t> bytes, const PlistLimits& limits);

}  // namespace resources
