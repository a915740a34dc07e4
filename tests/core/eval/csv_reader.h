#pragma once
// A reader for the exported tables, written the way a spreadsheet reads them and independent
// of the writer: a byte-order mark first, ";" between cells, CR LF after each row, quoted cells
// may hold anything with their quotes doubled.
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kalmo::test {

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
            row.push_back(cell);
            cell.clear();
        } else if (c == '\r' && i < text.size() && text[i] == '\n') {
            ++i;
            row.push_back(cell);
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
