#include "Images.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QImage Argb(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(ImagesTest, EachNumberShowsItsOwnPictureAndNoOtherNumberHasOne)
{
    using namespace telmo::image;
    const std::pair<int, const char*> pictures[] = {
        {kProgram, "Telmo:"}, {kWork, "Work:"},     {kHome, "Home:"}, {kCellphone, "Cellphone:"},
        {kFax, "Fax:"},       {kBeeper, "Beeper:"}, {kCopy, "Copy:"}, {kName, "A person:"}};
    for (const auto& [number, drawing] : pictures) {
        SCOPED_TRACE(number);
        ASSERT_FALSE(telmo::ImageIcon(number).isNull());
        QFile source(QStringLiteral(":/images/%1.svg").arg(number));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        EXPECT_TRUE(source.readAll().contains(QByteArray("<!-- ") + drawing)) << "another drawing";
    }
    for (int number : {0, -1, 129, 133, 141, 144}) {
        EXPECT_TRUE(telmo::ImageIcon(number).isNull()) << number;
        EXPECT_TRUE(telmo::ImagePixmap(number, QSize(16, 16), 1.0).isNull()) << number;
    }
}

TEST(ImagesTest, EverySizeAndDensityIsDrawnFromTheVectorSource)
{
    using namespace telmo::image;
    const QPixmap dense = telmo::ImagePixmap(kFax, QSize(16, 16), 2.0);
    EXPECT_EQ(dense.deviceIndependentSize(), QSizeF(16, 16));
    EXPECT_EQ(Argb(dense), Argb(telmo::ImagePixmap(kFax, QSize(32, 32), 1.0)));
    EXPECT_EQ(Argb(telmo::ImageIcon(kProgram).pixmap(QSize(22, 22), 2.0)),
              Argb(telmo::ImagePixmap(kProgram, QSize(22, 22), 2.0)));
}
