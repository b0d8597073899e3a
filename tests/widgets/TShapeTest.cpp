#include "widgets/TShape.h"

#include <gtest/gtest.h>

#include <QImage>

TEST(TShape, DrawsABlackOutlinedCircleInItsFillColour) {
    TShape shape;
    shape.resize(28, 15);
    EXPECT_EQ(shape.brushColor(), QColor(Qt::white));

    const QColor fills[] = {QColor(0xFF, 0xFF, 0x00), QColor(0x00, 0x80, 0x00), QColor(Qt::white)};
    for (const QColor& fill : fills) {
        SCOPED_TRACE(fill.name().toStdString());
        shape.setBrushColor(fill);
        EXPECT_EQ(shape.brushColor(), fill);
        const QImage image = shape.grab().toImage();
        EXPECT_EQ(image.pixelColor(14, 7), fill);  // centre
        EXPECT_LT(image.pixelColor(14, 0).value(), 64) << "black outline at the top";
        // Outside the circle (left of it) the widget's background shows.
        EXPECT_NE(image.pixelColor(1, 7), fill);
    }
}
