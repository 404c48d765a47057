#include "QtTestSupport.h"

#include <QDir>

#include <cstdlib>

namespace plovane::test {

QApplication& testApp()
{
    static int argc = 1;
    static char arg0[] = "plovane-tests";
    static char* argv[] = {arg0, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

int countPixels(const QImage& image, const QRectF& rect, const std::function<bool(QColor)>& keep, int step)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const QRect r = rect.toAlignedRect() & img.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); y += step)
        for (int x = r.left(); x <= r.right(); x += step)
            n += keep(img.pixelColor(x, y)) ? 1 : 0;
    return n;
}

bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

void saveToGallery(const QImage& image, const std::string& name, const char* dirVariable, const char* fallbackDir)
{
    const char* dir = std::getenv(dirVariable);
    // Pictures drawn with a desktop's own fonts go beside the pinned ones, not over them.
    const char* fonts = std::getenv("PLOVANE_TEST_FONTS");
    const bool desktop = fonts && std::string(fonts) == "desktop";
    const std::string path = std::string(dir ? dir : fallbackDir) + (desktop ? "/desktop-fonts" : "");
    QDir().mkpath(QString::fromStdString(path));
    image.save(QString::fromStdString(path + "/" + name + ".png"));
}

} // namespace plovane::test
