#include "platform/qt/ImageLoader.h"

#include "platform/qt/IconLookup.h"
#include "platform/qt/ImageStore.h"

#include <QIcon>
#include <QImageReader>

namespace plovane {

QPixmap ImageLoader::loadFile(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image);
}

namespace {

// Keeps alpha, drops colour.
QImage greyed(const QImage& source)
{
    QImage img = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int g = qGray(line[x]);
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QImage ImageLoader::appIconImage(const QString& nameOrPath, int side, IconTone tone, qreal dpr)
{
    if (nameOrPath.isEmpty() || side <= 0)
        return {};
    const bool grey = tone == IconTone::grey;
    const QString variant = QStringLiteral("icon@") + QString::number(side) + (grey ? QStringLiteral("#grey") : QString()) +
                            QLatin1Char('x') + QString::number(dpr);
    auto finish = [side, grey, dpr](QImage image) {
        if (image.isNull())
            return image;
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (grey)
            image = greyed(image);
        image.setDevicePixelRatio(dpr);
        return image;
    };
    ImageStore& store = ImageStore::shared();
    if (nameOrPath.startsWith(QLatin1Char('/'))) {
        // A file: kept with the file's version, so a new icon on disk shows.
        return store.derived(nameOrPath.toStdString(), variant, finish);
    }
    // A theme name. Misses are kept too: an icon that is not there now will not appear
    // mid-session often enough to be worth a theme lookup per repaint.
    return store.named(QStringLiteral("theme-") + variant + QLatin1Char(' ') + nameOrPath, [&] {
        const IconLookup lookup =
            IconLookup::forDesktop({QIcon::themeName().toStdString(), QIcon::fallbackThemeName().toStdString()});
        const std::string file = lookup.find(nameOrPath.toStdString(), side);
        if (file.empty())
            return QImage();
        QImageReader reader(QString::fromStdString(file));
        // Drawings are drawn at the size wanted rather than scaled from their own.
        if (reader.supportsOption(QImageIOHandler::ScaledSize) && reader.size().isValid())
            reader.setScaledSize(reader.size().scaled(side, side, Qt::KeepAspectRatio));
        return finish(reader.read());
    });
}

QPixmap ImageLoader::appIcon(const QString& nameOrPath, int side)
{
    return QPixmap::fromImage(appIconImage(nameOrPath, side, IconTone::colour, 1.0));
}

} // namespace plovane
