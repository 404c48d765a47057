// Prints where the settings code finds its resources when run from wherever it was copied
// to, and every font file it would register. Lets the tests place it in an installed
// layout.
#include "platform/FontManager.h"
#include "settings/AppResource.h"
#include "settings/FontRegistrar.h"

#include <iostream>

namespace {

struct PrintingFontManager final : plovane::FontManager {
    bool registerFontFile(const std::string& path) override
    {
        std::cout << "font " << path << "\n";
        return true;
    }
};

} // namespace

int main()
{
    std::cout << "base " << plovane::AppResource::resourceBase() << "\n";
    PrintingFontManager fonts;
    plovane::FontRegistrar::registerEmbeddedFonts(fonts);
    return 0;
}
