#include "platform/qt/ImageLoader.h"

#include <QHash>
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

QPixmap ImageLoader::appIcon(const QString& nameOrPath, int side)
{
    if (nameOrPath.isEmpty() || side <= 0)
        return {};
    static QHash<QString, QPixmap> cache;
    const QString key = nameOrPath + QLatin1Char('@') + QString::number(side);
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QPixmap pm;
    if (nameOrPath.startsWith(QLatin1Char('/'))) {
        pm = loadFile(nameOrPath);
        if (!pm.isNull())
            pm = pm.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    } else {
        const QIcon icon = QIcon::fromTheme(nameOrPath);
        if (!icon.isNull())
            pm = icon.pixmap(side, side);
    }
    // Misses are cached too: an icon that is not there now will not appear mid-session
    // often enough to be worth a theme lookup per repaint.
    cache.insert(key, pm);
    return pm;
}

} // namespace plovane
