#pragma once
// A reader for the exported tables, written the way a spreadsheet reads them and independent
// of the writer: a byte-order mark first, ";" between cells, CR LF after each row, quoted cells
// may hold anything with their quotes doubled; what a cell shows is what a spreadsheet shows.
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kalmo::test {

// A cell as the spreadsheet shows it: a text constant ="..." as its text, a text behind an
// apostrophe without it.
inline std::string shown(const std::string& cell) {
    if (cell.size() >= 3 && cell.compare(0, 2, "=\"") == 0 && cell.back() == '"')
        return cell.substr(2, cell.size() - 3);
    if (!cell.empty() && cell[0] == '\'') return cell.substr(1);
    return cell;
}

inline std::vector<std::vector<std::string>> read_csv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF") << "no byte-order mark";
    std::size_t i = 3;
    std::vector<std::string> row;
    std::string cell;
    bool in_quotes = false;
    bool row_open = false;
    while (i < text.size()) {
        const char c = text[i++];
        row_open = true;
        if (in_quotes) {
            if (c != '"')
                cell += c;
            else if (i < text.size() && text[i] == '"')
                cell += text[i++];
            else
                in_quotes = false;
        } else if (c == '"' && cell.empty()) {
            in_quotes = true;
        } else if (c == ';') {
            row.push_back(shown(cell));
            cell.clear();
        } else if (c == '\r' && i < text.size() && text[i] == '\n') {
            ++i;
            row.push_back(shown(cell));
            rows.push_back(row);
            row.clear();
            cell.clear();
            row_open = false;
        } else {
            cell += c;
        }
    }
    EXPECT_FALSE(row_open) << "last row without CR LF";
    EXPECT_FALSE(in_quotes) << "unterminated quote";
    return rows;
}

} // namespace kalmo::test
