// Pictures on Qt: the pixels as a QImage and QPixmap, and the PNG writer
// read back by Qt's own reader.

#include "platform/forms/PictureSupport.h"
#include "support/TestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

namespace qm6::pictures::test {
namespace {

// The pixels of an ARGB32 image from the top row (empty for another format).
std::vector<uint32_t> Pixels(const QImage& q) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < q.height() && q.format() == QImage::Format_ARGB32; ++y)
        for (int x = 0; x < q.width(); ++x)
            pixels.push_back(q.pixel(x, y));
    return pixels;
}

TEST(PictureQtTest, QtImagesAndSavedPngHoldTheSamePixels) {
    Image image{5, 3, {}};
    for (uint32_t i = 0; i < 15; ++i)
        image.pixels.push_back((50 * i + 5) << 24 | (40 * i) << 16 | (i * 31) << 8 | (200 - i));
    const auto picture = std::make_shared<const Picture>(PictureType::Icon, image);
    EXPECT_EQ(Pixels(forms::ToQImage(*picture)), image.pixels);
    EXPECT_TRUE(forms::ToQPixmap(PicturePtr{}).isNull());

    const qm6::test::TempDir dir;
    const std::string path = dir.Str() + "/picture.png";
    ASSERT_TRUE(SavePng(*picture, path));
    EXPECT_EQ(Pixels(QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_ARGB32)),
              image.pixels);
    EXPECT_FALSE(SavePng(*picture, dir.Str() + "/no/such/folder/picture.png"));
    EXPECT_FALSE(SavePng(Picture(PictureType::Bitmap, Image{}), dir.Str() + "/empty.png"));
}

} // namespace
} // namespace qm6::pictures::test
