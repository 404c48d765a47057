#pragma once

#include <string>

namespace plovane {

// Makes font files available to this process's text rendering.
class FontManager {
public:
    virtual ~FontManager() = default;

    // Registers the font file at `path` for this process. False when the file could not
    // be registered (unreadable, not a font, or refused by the platform).
    virtual bool registerFontFile(const std::string& path) = 0;
};

} // namespace plovane
