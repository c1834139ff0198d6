#include "resources/PlistGuard.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace resources {
namespace {

// --- XML ---------------------------------------------------------------------
// Counts element nesting: every "<name" opens an element unless the tag ends
// in "/>", every "</" closes one. Declarations, processing instructions and
// comments ("<!", "<?") open nothing. A comment that contains tags makes the
// count too high, never too low, which errs on the safe side.
bool xmlWithinLimits(std::span<const std::uint8_t> bytes, int maxDepth) {
    int depth = 0;
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != '<') continue;
        if (i + 1 >= size) break;
        const std::uint8_t next = bytes[i + 1];
        if (next == '/') {
            depth = std::max(0, depth - 1);
            continue;
        }
        if (next == '!' || next == '?') continue;
        // Find the end of this tag to see whether it closes itself.
        std::size_t end = i + 1;
        while (end < size && bytes[end] != '>' && bytes[end] != '<') ++end;
        const bool selfClosing = end < size && bytes[end] == '>' && bytes[end - 1] == '/';
        if (!selfClosing && ++depth > maxDepth) return false;
    }
    return true;
}

// --- Binary ------------------------------------------------------------------
// Layout: "bplist00", the objects, an offset table, and a 32-byte trailer
// giving the sizes of offsets and object references, the object count, the
// top object and where the offset table starts. Containers (arrays 0xA_,
// sets 0xC_, dictionaries 0xD_) hold a count and then object references.

std::optional<std::uint64_t> readBigEndian(std::span<const std::uint8_t> bytes, std::uint64_t at,
                                           std::uint64_t width) {
    if (width == 0 || width > 8 || at > bytes.size() || width > bytes.size() - at) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (std::uint64_t k = 0; k < width; ++k) value = (value << 8) | bytes[at + k];
    return value;
}

class BinaryPlist {
  public:
    explicit BinaryPlist(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool readTrailer() {
        if (bytes_.size() < 8 + 32) return false;
        const std::uint64_t trailer = bytes_.size() - 32;
        offsetSize_ = bytes_[trailer + 6];
        refSize_ = bytes_[trailer + 7];
        const auto count = readBigEndian(bytes_, trailer + 8, 8);
        const auto top = readBigEndian(bytes_, trailer + 16, 8);
        const auto table = readBigEndian(bytes_, trailer + 24, 8);
        if (!count || !top || !table || offsetSize_ == 0 || offsetSize_ > 8 || refSize_ == 0 ||
            refSize_ > 8) {
            return false;
        }
        objectCount_ = *count;
        top_ = *top;
        tableOffset_ = *table;
        // The offset table must lie before the trailer; this also bounds the
        // object count by the file size.
        if (tableOffset_ > trailer || objectCount_ > (trailer - tableOffset_) / offsetSize_) {
            return false;
        }
        return top_ < objectCount_;
    }

    std::uint64_t objectCount() const { return objectCount_; }
    std::uint64_t top() const { return top_; }

    // The objects a container refers to; empty for scalars. No value when the
    // container cannot be read, or when a dictionary key is not a string
    // libplist can hand back (see keyIsPlainString).
    std::optional<std::vector<std::uint64_t>> children(std::uint64_t object) const {
        const auto offset = objectOffset(object);
        if (!offset) return std::nullopt;
        const std::uint8_t type = bytes_[*offset] >> 4;
        // libplist measures an ASCII string with strlen, so one holding a NUL
        // would come back cut short at it, silently. UTF-16 strings are
        // converted with their length and come back whole.
        if (type == 0x5 && !isNulFreeString(*offset)) return std::nullopt;
        if (type != 0xA && type != 0xC && type != 0xD) return std::vector<std::uint64_t>();

        auto count = containerLength(*offset);
        if (!count) return std::nullopt;
        std::uint64_t position = count->second;
        std::uint64_t references = count->first;
        if (type == 0xD) {
            if (references > bytes_.size()) return std::nullopt;
            references *= 2;  // keys, then values
        }
        if (position > bytes_.size() || references > (bytes_.size() - position) / refSize_) {
            return std::nullopt;
        }
        std::vector<std::uint64_t> result;
        result.reserve(references);
        for (std::uint64_t k = 0; k < references; ++k) {
            const std::uint64_t reference = *readBigEndian(bytes_, position + k * refSize_, refSize_);
            if (reference >= objectCount_) return std::nullopt;
            if (type == 0xD && k < references / 2 && !keyIsPlainString(reference)) {
                return std::nullopt;
            }
            result.push_back(reference);
        }
        return result;
    }

private:
    std::optional<std::uint64_t> objectOffset(std::uint64_t object) const {
        const auto offset = readBigEndian(bytes_, tableOffset_ + object * offsetSize_, offsetSize_);
        if (!offset || *offset >= bytes_.size()) return std::nullopt;
        return offset;
    }

    // The element count of the object at `offset` (from its marker's low
    // nibble, or from the integer object that follows when that is 0xF) and
    // where the elements start.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> containerLength(
        std::uint64_t offset) const {
        std::uint64_t count = bytes_[offset] & 0x0F;
        std::uint64_t position = offset + 1;
        if (count == 0x0F) {
            if (position >= bytes_.size() || (bytes_[position] >> 4) != 0x1) return std::nullopt;
            const std::uint64_t width = std::uint64_t{1} << (bytes_[position] & 0x0F);
            const auto value = readBigEndian(bytes_, position + 1, width);
            if (!value) return std::nullopt;
            count = *value;
            position += 1 + width;
        }
        return std::pair{count, position};
    }

    // libplist hands keys back as C strings and asserts (aborting the
    // process) when a key's length disagrees with strlen, so a key must be an
    // ASCII or UTF-16 string without NUL characters, inside the file.
    bool keyIsPlainString(std::uint64_t object) const {
        const auto offset = objectOffset(object);
        if (!offset) return false;
        const std::uint8_t type = bytes_[*offset] >> 4;
        return (type == 0x5 || type == 0x6) && isNulFreeString(*offset);
    }

    // Whether the ASCII or UTF-16 string object at `offset` lies inside the
    // file and holds no NUL character.
    bool isNulFreeString(std::uint64_t offset) const {
        const auto length = containerLength(offset);
        if (!length) return false;
        const std::uint64_t unit = (bytes_[offset] >> 4) == 0x5 ? 1 : 2;
        const auto [count, start] = *length;
        if (start > bytes_.size() || count > (bytes_.size() - start) / unit) return false;
        for (std::uint64_t k = 0; k < count; ++k) {
            const std::uint64_t at = start + k * unit;
            if (bytes_[at] == 0 && (unit == 1 || bytes_[at + 1] == 0)) return false;
        }
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::uint64_t offsetSize_ = 0;
    std::uint64_t refSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t tableOffset_ = 0;
};

// Depth and expanded node count of the object graph from the top object,
// without recursion. Every object is measured once (memoised); a cycle or any
// bound exceeded refuses the list.
bool binaryWithinLimits(std::span<const std::uint8_t> bytes, const PlistLimits& limits) {
    BinaryPlist plist(bytes);
    // Whatever this reader cannot follow is refused rather than handed on:
    // a list that libplist would accept but that cannot be measured is not
    // worth the risk, and every list libplist writes can be measured.
    if (!plist.readTrailer()) return false;

    enum class State : std::uint8_t { unvisited, inProgress, done };
    struct Measure {
        State state = State::unvisited;
        int depth = 0;
        std::size_t nodes = 0;
    };
    std::vector<Measure> measures(plist.objectCount());

    struct Frame {
        std::uint64_t object;
        std::vector<std::uint64_t> children;
        std::size_t next = 0;
        int depth = 1;
        std::size_t nodes = 1;
    };
    std::vector<Frame> stack;

    auto push = [&](std::uint64_t object) {
        auto children = plist.children(object);
        if (!children) return false;
        measures[object].state = State::inProgress;
        stack.push_back(Frame{object, std::move(*children)});
        return static_cast<int>(stack.size()) <= limits.maxDepth;
    };

    if (!push(plist.top())) return false;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.children.size()) {
            const std::uint64_t child = frame.children[frame.next++];
            Measure& measure = measures[child];
            if (measure.state == State::inProgress) return false;  // a cycle
            if (measure.state == State::unvisited) {
                if (!push(child)) return false;
                continue;
            }
            frame.depth = std::max(frame.depth, measure.depth + 1);
            frame.nodes += measure.nodes;
            if (frame.nodes > limits.maxNodes) return false;
            continue;
        }
        Measure& done = measures[frame.object];
        done.state = State::done;
        done.depth = frame.depth;
        done.nodes = frame.nodes;
        stack.pop_back();
        if (!stack.empty()) {
            Frame& parent = stack.back();
            parent.depth = std::max(parent.depth, done.depth + 1);
            parent.nodes += done.nodes;
            if (parent.nodes > limits.maxNodes) return false;
        }
    }
    const Measure& top = measures[plist.top()];
    return top.depth <= limits.maxDepth && top.nodes <= limits.maxNodes;
}

}  // namespace

bool isWithinLimits(std::span<const std::uint8_t> bytes, const PlistLimits& limits) {
    constexpr std::string_view kBinaryMagic = "bplist00";
    const bool binary = bytes.size() >= kBinaryMagic.size() &&
                        std::memcmp(bytes.data(), kBinaryMagic.data(), kBinaryMagic.size()) == 0;
    if (binary) return binaryWithinLimits(bytes, limits);
    // NUL is no character of XML text, anywhere in a document. libplist
    // measures keys and strings with strlen, so a NUL inside one would cut
    // it short silently (a key could even turn into another key).
    if (!bytes.empty() && std::memchr(bytes.data(), 0, bytes.size()) != nullptr) return false;
    return xmlWithinLimits(bytes, limits.maxDepth);
}

}  // namespace resources
