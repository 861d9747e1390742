#include "Images.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <gtest/gtest.h>

namespace {

QImage Argb(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// Share of the visible pixels that are only partly covered: edges on the pixel grid give none,
// curves and slants some, and edges between two pixels smear into such pixels.
double BlurredShare(const QImage& image)
{
    int visible = 0;
    int partial = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            visible += alpha > 0;
            partial += alpha > 0 && alpha < 255;
        }
    }
    return visible == 0 ? 1.0 : double(partial) / visible;
}

} // namespace

TEST(ImagesTest, EachNumberShowsItsOwnReadablePictureOnThePixelGrid)
{
    using namespace telmo::image;
    const std::pair<int, const char*> pictures[] = {
        {kProgram, "Telmo:"}, {kWork, "Work:"},     {kHome, "Home:"}, {kCellphone, "Cellphone:"},
        {kFax, "Fax:"},       {kBeeper, "Beeper:"}, {kCopy, "Copy:"}, {kName, "A person:"}};
    for (const auto& [number, drawing] : pictures) {
        SCOPED_TRACE(number);
        EXPECT_FALSE(telmo::ImageIcon(number).isNull());
        const QString path = QStringLiteral(":/images/%1.svg").arg(number);
        QFile source(path);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        EXPECT_TRUE(source.readAll().contains(QByteArray("<!-- ") + drawing)) << "another drawing";

        const QImage image = Argb(telmo::ImagePixmap(number, QSize(16, 16), 1.0));
        ASSERT_EQ(image.size(), QSize(16, 16));
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                opaque += qAlpha(image.pixel(x, y)) == 255;
        EXPECT_GE(opaque, 40) << "too faint to read on a button";
        // A drawing whose edges fall between pixels gets sharper when moved by half a pixel.
        QImage moved(16, 16, QImage::Format_ARGB32_Premultiplied);
        moved.fill(Qt::transparent);
        QPainter painter(&moved);
        painter.translate(0.5, 0.5);
        QSvgRenderer(path).render(&painter);
        EXPECT_LT(BlurredShare(image), 0.8 * BlurredShare(moved));
    }
    for (int number : {0, -1, 129, 133, 141, 144}) {
        SCOPED_TRACE(number);
        EXPECT_TRUE(telmo::ImageIcon(number).isNull());
        EXPECT_TRUE(telmo::ImagePixmap(number, QSize(16, 16), 1.0).isNull());
    }
}

TEST(ImagesTest, EverySizeAndDensityIsDrawnFromTheVectorSource)
{
    const QPixmap dense = telmo::ImagePixmap(telmo::image::kFax, QSize(16, 16), 2.0);
    EXPECT_EQ(dense.deviceIndependentSize(), QSizeF(16, 16));
    EXPECT_EQ(Argb(dense), Argb(telmo::ImagePixmap(telmo::image::kFax, QSize(32, 32), 1.0)));
    EXPECT_EQ(telmo::ImagePixmap(telmo::image::kFax, QSize(16, 16)).devicePixelRatio(),
              qGuiApp->devicePixelRatio());
    const QIcon icon = telmo::ImageIcon(telmo::image::kProgram);
    for (int size : {16, 22, 48}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(Argb(icon.pixmap(QSize(size, size), 2.0)),
                  Argb(telmo::ImagePixmap(telmo::image::kProgram, QSize(size, size), 2.0)));
    }
}
