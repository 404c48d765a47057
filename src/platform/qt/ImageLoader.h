#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

namespace plovane {

// Loads images the way the UI needs them: files by path, application icons by theme
// name or path. Failures give a null pixmap; nothing is reported.
class ImageLoader {
public:
    // Reads and decodes one image file.
    static QPixmap loadFile(const QString& path);
    // An application icon given as a theme icon name or as an absolute file path, at
    // `side` × `side` device pixels. Kept in the shared ImageStore: a file once per
    // version, a theme name once.
    // Greyed icons keep their alpha and lose their colour. `dpr` is the ratio the image
    // is marked with.
    enum class IconTone { colour, grey };
    static QImage appIconImage(const QString& nameOrPath, int side, IconTone tone, qreal dpr);
    static QPixmap appIcon(const QString& nameOrPath, int side);
};

} // namespace plovane
