#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plovane {

// Finds the file of an application's icon the way a desktop does for a desktop entry's
// Icon key: an absolute path as it stands; a name through the icon themes (the current
// theme and what it inherits, the toolkit's fallback theme, then hicolor; any size, the
// nearest to the one asked for; PNG, SVG or XPM), then among the unthemed pixmaps. A name written with its extension
// ("foo.png") is looked up without it, as desktops do.
class IconLookup {
public:
    // `themeRoots` hold icon themes, one folder per theme, in lookup order; `pixmapDirs`
    // hold unthemed icons. `themes` are searched in order (each with what it inherits)
    // before hicolor: the current theme, then a fallback; empty names are skipped.
    IconLookup(std::vector<std::string> themeRoots, std::vector<std::string> pixmapDirs,
               std::vector<std::string> themes);

    // The folders of the XDG base directories: ~/.icons, <data home>/icons and
    // <data dir>/icons, then <data dir>/pixmaps and /usr/share/pixmaps.
    static IconLookup forDesktop(std::vector<std::string> themes);

    // The file to draw `icon` from at `size` × `size` pixels; empty when there is none.
    std::string find(std::string_view icon, int size) const;

private:
    struct Theme;
    const Theme* theme(const std::string& name) const;
    std::string findInTheme(const Theme& theme, std::string_view name, int size) const;

    std::vector<std::string> themeRoots_;
    std::vector<std::string> pixmapDirs_;
    std::vector<std::string> themes_;
};

} // namespace plovane
