#include "ArtLibrary.h"

#include "PngWriter.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace plovane::spritegen {

namespace {

constexpr const char* kPaletteFile = "palette.txt";

std::string readText(const fs::path& path)
{
    std::ifstream file{path, std::ios::binary};
    if (!file)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

CharacterArt loadCharacter(const fs::path& dir, Palette palette)
{
    readPalette(readText(dir / kPaletteFile), (dir / kPaletteFile).string(), palette);
    CharacterArt character{dir.filename().string(), {}};
    for (const auto& entry : fs::directory_iterator{dir}) {
        const fs::path& path = entry.path();
        if (path.extension() != ".txt" || path.filename() == kPaletteFile)
            continue;
        character.looks.push_back({path.stem().string(), parseSprite(readText(path), palette, path.string())});
    }
    std::ranges::sort(character.looks, {}, &Look::key);
    return character;
}

} // namespace

std::vector<CharacterArt> loadArt(const std::string& artDir)
{
    Palette shared;
    readPalette(readText(fs::path{artDir} / kPaletteFile), artDir + "/" + kPaletteFile, shared);
    std::vector<CharacterArt> characters;
    for (const auto& entry : fs::directory_iterator{artDir}) {
        if (entry.is_directory())
            characters.push_back(loadCharacter(entry.path(), shared));
    }
    std::ranges::sort(characters, {}, &CharacterArt::name);
    return characters;
}

std::vector<SpriteFile> spriteFiles(const Look& look)
{
    const std::string stem = "sprite_" + look.key + "_" + std::to_string(kSpriteSize);
    std::vector<SpriteFile> files{{stem + ".png", look.sprite.still}};
    for (std::size_t i = 0; i < look.sprite.frames.size(); ++i)
        files.push_back({stem + "_" + std::to_string(i + 1) + ".png", look.sprite.frames[i]});
    return files;
}

void writeCharacter(const CharacterArt& character, const std::string& outDir)
{
    const fs::path dir = fs::path{outDir} / character.name;
    fs::create_directories(dir);
    std::set<std::string> written;
    for (const Look& look : character.looks) {
        for (const SpriteFile& file : spriteFiles(look)) {
            writePng(file.image, (dir / file.name).string());
            written.insert(file.name);
        }
    }
    for (const auto& entry : fs::directory_iterator{dir}) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("sprite_") && name.ends_with(".png") && !written.contains(name))
            fs::remove(entry.path());
    }
}

Image contactSheet(const std::vector<std::vector<Image>>& rows, int scale)
{
    constexpr int kGap = 8;
    constexpr Rgba kGutter{40, 42, 48, 255};
    constexpr Rgba kCell{118, 124, 136, 255};
    const int cell = kSpriteSize * scale;
    std::size_t columns = 0;
    for (const auto& row : rows)
        columns = std::max(columns, row.size());
    const int cols = static_cast<int>(columns);
    const int rowCount = static_cast<int>(rows.size());
    Image sheet{std::max(1, kGap + cols * (cell + kGap)), std::max(1, kGap + rowCount * (cell + kGap)), kGutter};
    const Image background{cell, cell, kCell};
    for (int r = 0; r < rowCount; ++r) {
        for (int c = 0; c < static_cast<int>(rows[r].size()); ++c) {
            const int x = kGap + c * (cell + kGap);
            const int y = kGap + r * (cell + kGap);
            sheet.drawOver(background, x, y);
            sheet.drawOver(rows[r][c].scaled(scale), x, y);
        }
    }
    return sheet;
}

} // namespace plovane::spritegen
