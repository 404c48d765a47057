#include "settings/SpriteNames.h"

namespace plovane {

std::string stillSpriteFileName(std::string_view state)
{
    return "sprite_" + std::string(state) + "_32.png";
}

std::string frameSpriteFileName(std::string_view state, int frame)
{
    return "sprite_" + std::string(state) + "_32_" + std::to_string(frame) + ".png";
}

int countFrames(const std::function<bool(int frame)>& exists)
{
    int count = 0;
    while (exists(count + 1))
        ++count;
    return count;
}

} // namespace plovane
