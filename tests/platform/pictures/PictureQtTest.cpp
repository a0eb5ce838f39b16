// Pictures on Qt: the pixels as a QImage and QPixmap, and the PNG writer
// read back by Qt's own reader.

#include "platform/forms/PictureSupport.h"
#include "support/TestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

namespace qm6::pictures::test {
namespace {

Picture Sample() {
    Image image;
    image.width = 5;
    image.height = 3;
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            image.pixels.push_back(uint32_t(50 * x + 5) << 24 | uint32_t(40 * y) << 16 |
                                   uint32_t(x * 31) << 8 | uint32_t(200 - y));
    return Picture(PictureType::Icon, std::move(image));
}

void ExpectPixels(const QImage& q, const Picture& picture) {
    ASSERT_EQ(q.format(), QImage::Format_ARGB32);
    ASSERT_EQ(q.size(), QSize(5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(q.pixel(x, y), picture.Pixels().Pixel(x, y)) << x << "," << y;
}

// The pixels as a QImage and QPixmap, and the PNG writer read back by Qt's own reader.
TEST(PictureQtTest, QtImagesAndSavedPngHoldTheSamePixels) {
    const Picture picture = Sample();
    ExpectPixels(forms::ToQImage(picture), picture);
    const QPixmap pixmap = forms::ToQPixmap(std::make_shared<const Picture>(Sample()));
    EXPECT_EQ(pixmap.size(), QSize(5, 3));
    EXPECT_TRUE(pixmap.hasAlphaChannel());
    EXPECT_TRUE(forms::ToQPixmap(PicturePtr{}).isNull());
    EXPECT_TRUE(forms::ToQImage(Image{}).isNull());

    const qm6::test::TempDir dir;
    const std::string path = dir.Str() + "/picture.png";
    ASSERT_TRUE(SavePng(picture, path));
    ExpectPixels(QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_ARGB32),
                 picture);
    EXPECT_FALSE(SavePng(picture, dir.Str() + "/no/such/folder/picture.png"));
    EXPECT_FALSE(SavePng(Picture(PictureType::Bitmap, Image{}), dir.Str() + "/empty.png"));
}

} // namespace
} // namespace qm6::pictures::test
