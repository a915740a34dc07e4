#pragma once
// Pages of a printed list: a four-line header, then as many list lines as the page holds, in
// device pixels of the font the job prints in. The print routine only draws what this gives.
#include <functional>
#include <string>
#include <vector>

namespace kalmo::app {

struct PageMetrics {
    int line_height = 0;    // tmHeight + tmExternalLeading
    int chars_per_line = 0; // HORZRES / tmAveCharWidth
    int lines_per_page = 0; // VERTRES / line height
};

constexpr int kHeaderLines = 4;
// The heading is drawn this many pixels in from the left edge, its underline and the list lines
// at the edge.
constexpr int kHeadingIndent = 4;

// The lists are laid out in columns of blanks, so a job prints in a fixed-pitch font. Its cell
// height is the largest, up to the printer's default, at which `columns` characters fit the
// printable width: a list printed for billing must keep its amount column on the paper.
struct FontFit {
    int height = 0;    // cell height to ask the printer for
    bool fits = false; // false: even `min_height` is too wide; lines are then cut visibly
};
// `char_width(height)` measures the font's character width at a cell height (0 or less when it
// cannot). A failed measurement gives height 0: keep the printer's default font.
FontFit fit_font(int default_height, int min_height, int printable_width, int columns,
                 const std::function<int(int)>& char_width);

// Characters the widest printed text needs: the longest list line or the heading.
int widest_text(const std::vector<std::string>& lines, const std::string& heading);

// Integer divisions that truncate; a zero divisor gives 0 (nothing fits).
PageMetrics page_metrics(int tm_height, int tm_external_leading, int ave_char_width,
                         int horizontal_resolution, int vertical_resolution);

// List lines per page; 0 when the page holds no more than the header.
int body_lines(const PageMetrics& m);

// Pages for `line_count` list lines; 0 when nothing is to be printed (an empty list, or a page
// too small for a single list line: printing nothing is better than header-only pages for ever).
int page_count(int line_count, const PageMetrics& m);

// The order the pages come out in: with collation the whole run `copies` times, otherwise each
// page `copies` times in a row. Copies below 1 count as 1.
std::vector<int> page_sequence(int pages, int copies, bool collate);

// One text drawn on a page: a fixed text, or the list line `list_index` (text empty then).
struct PageText {
    int x = 0;
    int y = 0;
    int list_index = -1;
    std::string text;
};

// What page `page` (from 0) draws: a blank, the heading at x 4, its underline, a blank, then the
// list lines under it. Fixed texts are cut to the characters per line like list lines.
std::vector<PageText> page_texts(int page, const std::string& heading, int line_count,
                                 const PageMetrics& m);

// A text longer than the characters per line (only on a page too narrow for the smallest font)
// loses its end, and its last character shows the cut with a "»": a shortened amount must not
// pass for a whole one.
std::string cut_to_line(const std::string& text, const PageMetrics& m);

} // namespace kalmo::app
