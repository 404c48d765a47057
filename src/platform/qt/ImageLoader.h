#pragma once

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
    // `side` × `side` device pixels. Looked up once per name and size, then cached.
    static QPixmap appIcon(const QString& nameOrPath, int side);
};

} // namespace plovane
