// The fake measurer for layout tests. Its rules are simple enough that a
// test can work every expected number out by hand: each code point is
// `advance × size` wide, lines are `lineHeight` high, words wrap at spaces
// and a word longer than the width is broken between any two code points.

#include <algorithm>
#include <cmath>
#include <vector>

#include "toolkit/layout/TextMeasurer.hpp"

namespace ui {
namespace {

// Widths that agree to within this much count as fitting, so a text shrunk
// to exactly the proposed width is not cut by rounding.
constexpr double kFitTolerance = 1e-6;

// The text as one entry per code point. Only spaces and line breaks matter
// to the rules, so every other code point is stored as 'x'.
struct CodePoints {
    std::vector<char32_t> chars;
};

CodePoints decode(std::string_view text) {
    CodePoints out;
    out.chars.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        // Continuation bytes never start a code point, so counting only lead
        // bytes counts code points; malformed input still advances.
        int length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        out.chars.push_back(text[i] == '\n' ? U'\n' : text[i] == ' ' ? U' ' : U'x');
        i += static_cast<std::size_t>(length);
    }
    return out;
}

// A line of the result: `start` indexes the code points of the whole text,
// `length` counts the code points drawn on it.
struct Line {
    std::size_t start = 0;
    std::size_t length = 0;
};

// Greedy word wrapping of the code points [begin, end) at `fit` code points
// per line. Spaces at a break hang past the line's end and are not counted.
void wrapParagraph(const std::vector<char32_t>& chars, std::size_t begin, std::size_t end,
                   std::size_t fit, std::vector<Line>& lines) {
    Line line{begin, 0};
    std::size_t wordStart = begin;
    while (wordStart <= end) {
        std::size_t wordEnd = wordStart;
        while (wordEnd < end && chars[wordEnd] != U' ') ++wordEnd;
        std::size_t word = wordEnd - wordStart;
        std::size_t withWord = line.length == 0 ? word : line.length + 1 + word;
        if (withWord <= fit) {
            if (line.length == 0) line.start = wordStart;
            line.length = withWord;
        } else if (word > 0) {
            if (line.length > 0) lines.push_back(line);
            // A word wider than the whole line is broken anywhere; every line
            // takes at least one code point so the loop always advances.
            std::size_t start = wordStart;
            while (word > fit) {
                std::size_t take = std::max<std::size_t>(1, fit);
                if (take >= word) break;
                lines.push_back({start, take});
                start += take;
                word -= take;
            }
            line = {start, word};
        }
        wordStart = wordEnd + 1;
    }
    lines.push_back(line);
}

}  // namespace

TextMetrics FixedAdvanceMeasurer::measure(std::string_view text, const ResolvedFont& font,
                                          std::optional<double> width, int lineLimit) {
    ++count_;
    const double advance = advance_ * font.size;
    const CodePoints cps = decode(text);
    const std::size_t total = cps.chars.size();

    // How many code points fit on one line; unbounded without a width.
    std::size_t fit = total + 1;
    if (width && std::isfinite(*width) && advance > 0) {
        double fitting = std::floor(*width / advance + kFitTolerance);
        fit = fitting < 0 ? 0 : static_cast<std::size_t>(std::min(fitting, double(total + 1)));
    }

    std::vector<Line> lines;
    std::size_t paragraphStart = 0;
    for (std::size_t i = 0; i <= total; ++i) {
        if (i < total && cps.chars[i] != U'\n') continue;
        if (width && std::isfinite(*width)) {
            wrapParagraph(cps.chars, paragraphStart, i, fit, lines);
        } else {
            lines.push_back({paragraphStart, i - paragraphStart});
        }
        paragraphStart = i + 1;
    }

    TextMetrics metrics;
    if (lineLimit > 0 && lines.size() > static_cast<std::size_t>(lineLimit)) {
        // The last line kept holds as much of the rest as fits before "…";
        // without a width it is its own paragraph followed by "…".
        Line& last = lines[static_cast<std::size_t>(lineLimit) - 1];
        std::size_t rest = total - last.start;
        std::size_t kept = last.length;
        if (width && std::isfinite(*width)) kept = std::min(rest, fit > 0 ? fit - 1 : 0);
        last.length = kept + 1;
        lines.resize(static_cast<std::size_t>(lineLimit));
        metrics.truncated = true;
    }

    std::size_t widest = 0;
    for (const Line& line : lines) widest = std::max(widest, line.length);
    metrics.lineCount = static_cast<int>(lines.size());
    metrics.size = {static_cast<double>(widest) * advance, lines.size() * font.lineHeight};
    return metrics;
}

}  // namespace ui
