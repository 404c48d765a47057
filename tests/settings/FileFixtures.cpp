#include "FileFixtures.h"

#include "TestSupport.h"
#include "settings/AppResource.h"
#include "settings/SpriteNames.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace plovane::test {

void writeFile(const std::string& path, const std::string& content)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string enterTempDir(const std::string& name)
{
    const std::string dir = makeTempDir(name);
    fs::current_path(dir);
    return fs::current_path().string();
}

std::string makeCustomCharacter(const std::string& dir, const char* manifest, int stills)
{
    const std::string folder = AppResource::customSpritesBase() + "/" + dir;
    fs::create_directories(folder);
    if (manifest)
        writeFile(folder + "/manifest.json", manifest);
    for (int i = 0; i < stills; ++i)
        writeFile(folder + "/" + stillSpriteFileName(kRequiredSpriteStates[i]));
    return folder;
}

} // namespace plovane::test
