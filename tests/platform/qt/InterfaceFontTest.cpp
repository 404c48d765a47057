#include "platform/qt/InterfaceFont.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace plovane;

namespace {
int argc = 1;
char arg0[] = "interface-font-test";
char* argv[] = {arg0, nullptr};

QFont sized(QFont::Weight weight)
{
    QFont f = fonts::interfaceFont();
    f.setPixelSize(13);
    f.setWeight(weight);
    return f;
}

// How much ink the text leaves on white: the sum of its darkness over every pixel.
long long ink(const QString& text, const QFont& font)
{
    QImage image(240, 40, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(4, 28), text);
    p.end();
    long long sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += 255 - qGray(image.pixel(x, y));
    return sum;
}

} // namespace

// Titles set semibold or bold are bolder in Chinese too, not only in their Latin letters;
// Latin keeps the desktop's own face.
TEST(InterfaceFont, ChineseKeepsTheWeightAskedForAndLatinItsFace)
{
    QGuiApplication app(argc, argv);
    ASSERT_FALSE(fonts::cjkFamily().isEmpty()) << "scripts/deps.sh installs fonts-noto-cjk";
    for (const char* text : {"说明", "智能感知", "首次功能配置"}) {
        const QString t = QString::fromUtf8(text);
        EXPECT_GT(ink(t, sized(QFont::DemiBold)), 1.2 * ink(t, sized(QFont::Normal))) << text;
        EXPECT_GT(ink(t, sized(QFont::Bold)), 1.2 * ink(t, sized(QFont::Normal))) << text;
    }

    QFont plain = QGuiApplication::font();
    plain.setPixelSize(13);
    EXPECT_EQ(QFontInfo(sized(QFont::Normal)).family(), QFontInfo(plain).family());
    EXPECT_DOUBLE_EQ(QFontMetricsF(sized(QFont::Normal)).horizontalAdvance("AI IDE Sensing (Beta)"),
                     QFontMetricsF(plain).horizontalAdvance("AI IDE Sensing (Beta)"));
}
