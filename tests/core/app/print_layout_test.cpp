#include "core/app/print_layout.h"

#include <gtest/gtest.h>

using namespace kalmo::app;

namespace {

// 60 lines of 10 pixels: 56 list lines under the header.
PageMetrics page() {
    return page_metrics(9, 1, 8, 640, 605);
}

} // namespace

TEST(PrintLayout, MetricsTruncateAndRefuseZeroDivisors) {
    const PageMetrics m = page();
    EXPECT_EQ(m.line_height, 10);
    EXPECT_EQ(m.chars_per_line, 80);
    EXPECT_EQ(m.lines_per_page, 60);
    EXPECT_EQ(body_lines(m), 56);

    const PageMetrics broken = page_metrics(0, 0, 0, 640, 605);
    EXPECT_EQ(broken.chars_per_line, 0);
    EXPECT_EQ(broken.lines_per_page, 0);
    EXPECT_EQ(page_count(10, broken), 0);
    EXPECT_TRUE(page_texts(0, "x", 10, broken).empty());
}

TEST(PrintLayout, PagesBreakAfterTheBodyLines) {
    const PageMetrics m = page();
    EXPECT_EQ(page_count(0, m), 0);
    EXPECT_EQ(page_count(1, m), 1);
    EXPECT_EQ(page_count(56, m), 1);
    EXPECT_EQ(page_count(57, m), 2);
    EXPECT_EQ(page_count(112, m), 2);

    // The second page of 57 lines holds just the last one under its header.
    const auto second = page_texts(1, "Head", 57, m);
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[4].list_index, 56);
    EXPECT_EQ(second[4].y, 4 * 10 + 4);
}

TEST(PrintLayout, PageWithoutRoomForAListLinePrintsNothing) {
    const PageMetrics header_only = page_metrics(10, 0, 8, 640, 49); // 4 lines
    EXPECT_EQ(body_lines(header_only), 0);
    EXPECT_EQ(page_count(5, header_only), 0);
    const PageMetrics one_line = page_metrics(10, 0, 8, 640, 50);
    EXPECT_EQ(page_count(3, one_line), 3);
}

TEST(PrintLayout, HeaderPositionsAndFirstListLine) {
    const PageMetrics m = page();
    const auto texts = page_texts(0, "Tln  Datum", 3, m);
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts[0].text, " ");
    EXPECT_EQ(texts[0].x, 0);
    EXPECT_EQ(texts[0].y, 0);
    EXPECT_EQ(texts[1].text, "Tln  Datum");
    EXPECT_EQ(texts[1].x, 4);
    EXPECT_EQ(texts[1].y, 10);
    EXPECT_EQ(texts[2].text, "__________");
    EXPECT_EQ(texts[2].y, 24);
    EXPECT_EQ(texts[3].text, " ");
    EXPECT_EQ(texts[3].y, 30);
    EXPECT_EQ(texts[4].list_index, 0);
    EXPECT_EQ(texts[4].y, 44);
    EXPECT_EQ(texts[6].list_index, 2);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(texts[static_cast<std::size_t>(i)].list_index, -1);
}

TEST(PrintLayout, LongTextsAreCutVisiblyToTheLine) {
    const PageMetrics narrow = page_metrics(10, 0, 10, 50, 600); // 5 characters
    const auto texts = page_texts(0, "Amtsrufnummer", 1, narrow);
    EXPECT_EQ(texts[1].text, "Amts\xBB");
    EXPECT_EQ(texts[2].text, "_____");
    EXPECT_EQ(cut_to_line("  12,34 DM", narrow), "  12\xBB");
    EXPECT_EQ(cut_to_line("12345", narrow), "12345");
    EXPECT_EQ(cut_to_line("123", narrow), "123");
    EXPECT_EQ(cut_to_line("123", page_metrics(10, 0, 0, 50, 600)), "");
}

// Character width of a fixed-pitch font as printers report it: 0.6 of the cell height,
// truncated, with a hinted jump below 20 pixels.
int courier(int height) {
    return height < 20 ? height / 2 : height * 6 / 10;
}

TEST(PrintLayout, FontIsTheLargestThatFitsTheWidestLineUpToTheDefault) {
    struct Case {
        const char* what;
        int default_height, min_height, width, columns;
        FontFit expected;
    };
    const Case cases[] = {
        // A4 at 300 dpi, the printer's default 99 pixels: 80 columns need 29 pixels a character.
        {"shrinks to the largest fit", 99, 25, 2329, 80, {49, true}},
        {"never larger than the default", 30, 10, 2329, 80, {30, true}},
        {"exact fit incl. the heading indent", 99, 10, 30 * 70 + 4, 70, {51, true}},
        {"one pixel short", 99, 10, 30 * 70 + 3, 70, {49, true}},
        {"hinted jump below 20", 99, 10, 9 * 100 + 4, 100, {19, true}},
        {"too narrow for the smallest font", 99, 25, 300, 80, {25, false}},
        {"no room at all", 99, 25, 2, 80, {25, false}},
        {"nothing to print", 99, 25, 2329, 0, {99, true}},
    };
    for (const Case& c : cases) {
        const FontFit fit = fit_font(c.default_height, c.min_height, c.width, c.columns, courier);
        EXPECT_EQ(fit.height, c.expected.height) << c.what;
        EXPECT_EQ(fit.fits, c.expected.fits) << c.what;
        if (fit.fits) {
            EXPECT_LE(c.columns * courier(fit.height) + kHeadingIndent, c.width) << c.what;
        }
    }
    const FontFit unmeasurable = fit_font(99, 25, 2329, 80, [](int) { return 0; });
    EXPECT_EQ(unmeasurable.height, 0);
    EXPECT_FALSE(unmeasurable.fits);
}

TEST(PrintLayout, WidestTextCountsTheHeadingToo) {
    EXPECT_EQ(widest_text({"12345", "1234567"}, "abc"), 7);
    EXPECT_EQ(widest_text({"12"}, "Name                         Lkz"), 32);
    EXPECT_EQ(widest_text({}, ""), 0);
}

TEST(PrintLayout, CopiesWithAndWithoutCollation) {
    EXPECT_EQ(page_sequence(3, 3, true), (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(page_sequence(3, 3, false), (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(page_sequence(2, 0, false), (std::vector<int>{0, 1}));
    EXPECT_TRUE(page_sequence(0, 3, true).empty());
}
