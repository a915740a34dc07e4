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

std::string cut_to_line(const std::string& text, const PageMetrics& m) {
    const auto limit = static_cast<std::size_t>(std::max(0, m.chars_per_line));
    return text.size() > limit ? text.substr(0, limit) : text;
}

std::vector<PageText> page_texts(int page, const std::string& heading, int line_count,
                                 const PageMetrics& m) {
    std::vector<PageText> out;
    const int body = body_lines(m);
    if (body == 0 || page < 0) return out;
    const int h = m.line_height;
    out.push_back({0, 0, -1, " "});
    out.push_back({4, h, -1, cut_to_line(heading, m)});
    out.push_back({0, 2 * h + 4, -1, cut_to_line(std::string(heading.size(), '_'), m)});
    out.push_back({0, 3 * h, -1, " "});
    for (int j = kHeaderLines; j < m.lines_per_page; ++j) {
        const long long index = static_cast<long long>(page) * body + (j - kHeaderLines);
        if (index >= line_count) break;
        out.push_back({0, j * h + 4, static_cast<int>(index), {}});
    }
    return out;
}

} // namespace kalmo::app
