#include "widgets/TGauge.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

TEST(TGauge, ShowsTruncatedPercentageOfItsRange) {
    const struct {
        int minimum, maximum, value;
        const char* text;
        int shown;
    } cases[] = {
        {0, 5, 0, "0%", 0},      {0, 5, 1, "20%", 1},       {0, 5, 4, "80%", 4},
        {0, 5, 5, "100%", 5},    {0, 5, 9, "100%", 5},      {0, 5, -1, "0%", 0},
        {0, 128, 1, "0%", 1},    {0, 128, 127, "99%", 127}, {0, 3, 2, "66%", 2},
        {10, 20, 15, "50%", 15}, {4, 4, 4, "0%", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.minimum << ".." << c.maximum << " = " << c.value);
        TGauge gauge;
        gauge.setRange(c.minimum, c.maximum);
        gauge.setValue(c.value);
        EXPECT_EQ(gauge.text(), QString(c.text));
        EXPECT_EQ(gauge.value(), c.shown);
    }
}

TEST(TGauge, RangeChangesKeepTheValueAtTheNearerEnd) {
    TGauge gauge;
    EXPECT_EQ(gauge.text(), QString("0%"));  // 0..100 at 0 when made
    EXPECT_EQ(gauge.textColor(), QColor(Qt::black));
    gauge.setMaximum(5);
    gauge.setValue(5);
    EXPECT_EQ(gauge.text(), QString("100%"));

    gauge.setMaximum(3);  // Qt alone would reset the bar to no value here
    EXPECT_EQ(gauge.value(), 3);
    EXPECT_EQ(gauge.text(), QString("100%"));

    gauge.setMaximum(9);
    EXPECT_EQ(gauge.text(), QString("33%"));

    gauge.setMinimum(6);
    EXPECT_EQ(gauge.value(), 6);
    EXPECT_EQ(gauge.text(), QString("0%"));

    gauge.reset();
    EXPECT_EQ(gauge.text(), QString("0%"));
}
