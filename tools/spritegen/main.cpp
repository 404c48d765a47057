// Turns the text pixel maps of the built-in characters into their PNG sprites.
//   plovane_spritegen <art-dir> <out-dir> [--sheet <contact-sheet.png>]

#include "ArtLibrary.h"
#include "PngWriter.h"

#include <cstdio>
#include <exception>
#include <string>

using namespace plovane::spritegen;

int main(int argc, char** argv)
{
    const bool withSheet = argc == 5 && std::string{argv[3]} == "--sheet";
    if (argc != 3 && !withSheet) {
        std::fprintf(stderr, "usage: %s <art-dir> <out-dir> [--sheet <contact-sheet.png>]\n", argv[0]);
        return 2;
    }
    try {
        const auto characters = loadArt(argv[1]);
        std::vector<std::vector<Image>> rows;
        for (const CharacterArt& character : characters) {
            writeCharacter(character, argv[2]);
            for (const Look& look : character.looks) {
                rows.emplace_back();
                for (const SpriteFile& file : spriteFiles(look))
                    rows.back().push_back(file.image);
            }
        }
        if (withSheet)
            writePng(contactSheet(rows, 5), argv[4]);
        std::printf("spritegen: %zu characters written to %s\n", characters.size(), argv[2]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "spritegen: %s\n", e.what());
        return 1;
    }
}
