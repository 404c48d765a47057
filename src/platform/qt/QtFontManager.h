#pragma once

#include "platform/FontManager.h"

namespace plovane {

// Registers font files with Qt's application font database. Needs a QGuiApplication.
class QtFontManager final : public FontManager {
public:
    // False when Qt cannot load the file as a font or has no font database yet.
    bool registerFontFile(const std::string& path) override;
};

} // namespace plovane
