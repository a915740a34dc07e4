#include "core/app/print_layout.h"

#include <algorithm>

namespace kalmo::app {

PageMetrics page_metrics(int tm_height, int tm_external_leading, int ave_char_width,
                         int horizontal_resolution, int vertical_resolution) {
    PageMetrics m;
    m.line_height = tm_height + tm_external_leading;
    m.chars_per_line = ave_char_width > 0 ? horizontal_resolution / ave_char_width : 0;
    m.lines_per_page = m.line_height > 0 ? vertical_resolution / m.line_height : 0;
    return m;
}

int body_lines(const PageMetrics& m) {
    return std::max(0, m.lines_per_page - kHeaderLines);
}

int page_count(int line_count, const PageMetrics& m) {
    const int body = body_lines(m);
    if (line_count <= 0 || body == 0 || m.chars_per_line <= 0) return 0;
    return (line_count + body - 1) / body;
}

std::vector<int> page_sequence(int pages, int copies, bool collate) {
    std::vector<int> order;
    if (pages <= 0) return order;
    const int n = std::max(1, copies);
    order.reserve(static_cast<std::size_t>(pages) * static_cast<std::size_t>(n));
    if (collate) {
        for (int c = 0; c < n; ++c)
            for (int p = 0; p < pages; ++p)
                order.push_back(p);
    } else {
        for (int p = 0; p < pages; ++p)
            for (int c = 0; c < n; ++c)
                order.push_back(p);
    }
    return order;
}

FontFit fit_font(int default_height, int min_height, int printable_width, int columns,
                 const std::function<int(int)>& char_width) {
    const int room = printable_width - kHeadingIndent;
    const int floor_height = std::max(1, min_height);
    const int top = std::max(default_height, floor_height);
    auto fits = [&](int width) { return static_cast<long long>(columns) * width <= room; };
    // The width grows with the height, though not in exact proportion (rounding, hinting): aim
    // at the proportional height, step down until the text fits, then take back the heights
    // the aim undershot.
    int height = top;
    while (height >= floor_height) {
        const int width = char_width(height);
        if (width <= 0) return {};
        if (fits(width)) {
            while (height < top) {
                const int wider = char_width(height + 1);
                if (wider <= 0 || !fits(wider)) break;
                ++height;
            }
            return {height, true};
        }
        const long long needed = static_cast<long long>(columns) * width;
        const long long aimed = room > 0 ? static_cast<long long>(height) * room / needed : 0;
        height = static_cast<int>(std::min<long long>(aimed, height - 1));
    }
    if (char_width(floor_height) <= 0) return {};
    return {floor_height, false};
}

int widest_text(const std::vector<std::string>& lines, const std::string& heading) {
    std::size_t widest = heading.size();
    for (const std::string& line : lines)
        widest = std::max(widest, line.size());
    return static_cast<int>(widest);
}

std::string cut_to_line(const std::string& text, const PageMetrics& m) {
    const auto limit = static_cast<std::size_t>(std::max(0, m.chars_per_line));
    if (text.size() <= limit) return text;
    if (limit == 0) return {};
    return text.substr(0, limit - 1) + "\xBB";
}

std::vector<PageText> page_texts(int page, const std::string& heading, int line_count,
                                 const PageMetrics& m) {
    std::vector<PageText> out;
    const int body = body_lines(m);
    if (body == 0 || page < 0) return out;
    const int h = m.line_height;
    out.push_back({0, 0, -1, " "});
    out.push_back({kHeadingIndent, h, -1, cut_to_line(heading, m)});
    const auto underline =
        std::min(heading.size(), static_cast<std::size_t>(std::max(0, m.chars_per_line)));
    out.push_back({0, 2 * h + 4, -1, std::string(underline, '_')});
    out.push_back({0, 3 * h, -1, " "});
    for (int j = kHeaderLines; j < m.lines_per_page; ++j) {
        const long long index = static_cast<long long>(page) * body + (j - kHeaderLines);
        if (index >= line_count) break;
        out.push_back({0, j * h + 4, static_cast<int>(index), {}});
    }
    return out;
}

} // namespace kalmo::app
