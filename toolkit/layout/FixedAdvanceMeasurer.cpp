// The fake measurer for layout tests. Its rules are simple enough that a
// test can work every expected number out by hand: each code point is
// `advance × size` wide, lines are `lineHeight` high, words wrap at spaces
// and a word longer than the width is broken between any two code points.
//
// It reads the text once, front to back, and keeps only what the result
// needs (the line count, the widest line, and where the last line kept under
// a line limit starts), so measuring allocates nothing: benchmarks run
// layout through it, and its own cost should stay small.

#include <algorithm>
#include <cmath>

#include "toolkit/layout/TextMeasurer.hpp"

namespace ui {
namespace {

// Widths that agree to within this much count as fitting, so a text shrunk
// to exactly the proposed width is not cut by rounding.
constexpr double kFitTolerance = 1e-6;

bool startsCodePoint(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// The lines found so far. Lengths and starts count code points; a line's
// start indexes the code points of the whole text.
class Lines {
  public:
    explicit Lines(std::size_t limit) : limit_(limit) {}

    void add(std::size_t start, std::size_t length) {
        if (limit_ > 0 && count_ + 1 == limit_) {
            lastKeptStart_ = start;
            lastKeptLength_ = length;
        } else if (limit_ == 0 || count_ + 1 < limit_) {
            widestBeforeLastKept_ = std::max(widestBeforeLastKept_, length);
        }
        widest_ = std::max(widest_, length);
        ++count_;
    }
    std::size_t count() const { return count_; }
    std::size_t widest() const { return widest_; }
    bool overLimit() const { return limit_ > 0 && count_ > limit_; }
    std::size_t limit() const { return limit_; }
    std::size_t lastKeptStart() const { return lastKeptStart_; }
    std::size_t lastKeptLength() const { return lastKeptLength_; }
    std::size_t widestBeforeLastKept() const { return widestBeforeLastKept_; }

  private:
    std::size_t limit_;
    std::size_t count_ = 0;
    std::size_t widest_ = 0;
    std::size_t widestBeforeLastKept_ = 0;
    std::size_t lastKeptStart_ = 0;
    std::size_t lastKeptLength_ = 0;
};

// Greedy word wrapping of one paragraph (bytes [begin, end) of the text,
// whose first code point has index `firstIndex`) at `fit` code points per
// line. Spaces at a break hang past the line's end and are not counted.
void wrapParagraph(std::string_view text, std::size_t begin, std::size_t end,
                   std::size_t firstIndex, std::size_t fit, Lines& lines) {
    std::size_t lineStart = firstIndex, lineLength = 0;
    std::size_t index = firstIndex;  // code point index at `at`
    std::size_t at = begin;
    while (true) {
        // The next word: code points up to the next space or the end.
        const std::size_t wordStart = index;
        std::size_t word = 0;
        while (at < end && text[at] != ' ') {
            if (startsCodePoint(text[at])) ++word;
            ++at;
        }
        index += word;
        const std::size_t withWord = lineLength == 0 ? word : lineLength + 1 + word;
        if (withWord <= fit) {
            if (lineLength == 0) lineStart = wordStart;
            lineLength = withWord;
        } else if (word > 0) {
            if (lineLength > 0) lines.add(lineStart, lineLength);
            // A word wider than the whole line is broken anywhere; every line
            // takes at least one code point so the loop always advances.
            std::size_t start = wordStart;
            const std::size_t take = std::max<std::size_t>(1, fit);
            while (word > take) {
                lines.add(start, take);
                start += take;
                word -= take;
            }
            lineStart = start;
            lineLength = word;
        }
        if (at >= end) break;
        ++at;  // the space
        ++index;
    }
    lines.add(lineStart, lineLength);
}

}  // namespace

TextMetrics FixedAdvanceMeasurer::measure(std::string_view text, const ResolvedFont& font,
                                          std::optional<double> width, int lineLimit) {
    ++count_;
    const double advance = advance_ * font.size;
    const bool wraps = width && std::isfinite(*width);

    std::size_t total = 0;
    for (char c : text) total += startsCodePoint(c) ? 1 : 0;

    // How many code points fit on one line.
    std::size_t fit = total + 1;
    if (wraps && advance > 0) {
        const double fitting = std::floor(*width / advance + kFitTolerance);
        fit = fitting < 0 ? 0 : static_cast<std::size_t>(std::min(fitting, double(total + 1)));
    }

    Lines lines(lineLimit > 0 ? static_cast<std::size_t>(lineLimit) : 0);
    std::size_t begin = 0, firstIndex = 0;
    while (true) {
        const std::size_t newline = std::min(text.find('\n', begin), text.size());
        if (wraps) {
            wrapParagraph(text, begin, newline, firstIndex, fit, lines);
        } else {
            std::size_t length = 0;
            for (std::size_t i = begin; i < newline; ++i)
                length += startsCodePoint(text[i]) ? 1 : 0;
            lines.add(firstIndex, length);
            firstIndex += length;
        }
        if (newline >= text.size()) break;
        if (wraps) {
            for (std::size_t i = begin; i < newline; ++i)
                firstIndex += startsCodePoint(text[i]) ? 1 : 0;
        }
        firstIndex += 1;  // the line break
        begin = newline + 1;
    }

    TextMetrics metrics;
    std::size_t count = lines.count();
    std::size_t widest = lines.widest();
    if (lines.overLimit()) {
        // The last line kept holds as much of the rest as fits before "…";
        // without a width it is its own paragraph followed by "…".
        std::size_t kept = lines.lastKeptLength();
        if (wraps) kept = std::min(total - lines.lastKeptStart(), fit > 0 ? fit - 1 : 0);
        widest = std::max(lines.widestBeforeLastKept(), kept + 1);
        count = lines.limit();
        metrics.truncated = true;
    }
    metrics.lineCount = static_cast<int>(count);
    metrics.size = {static_cast<double>(widest) * advance,
                    static_cast<double>(count) * font.lineHeight};
    return metrics;
}

}  // namespace ui
