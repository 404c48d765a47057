#pragma once

#include <string>
#include <vector>

namespace plovane {

// One imported character: a folder directly under the custom sprites folder holding a
// "manifest.json" and the sprites.
class CustomCharacter {
public:
    CustomCharacter(std::string dirName, std::string displayName)
        : dirName_(std::move(dirName)), displayName_(std::move(displayName))
    {
    }

    // The folder name; the character's identity.
    const std::string& dirName() const { return dirName_; }
    // The manifest's "name" when it is a string (even an empty one), else the folder name.
    const std::string& displayName() const { return displayName_; }

    // Whether the folder holds the still sprite of every required state.
    bool isValid() const;
    // <custom sprites folder>/<dirName>/sprite_<state>_32.png
    std::string absoluteSpritePath(const std::string& state) const;

    // The characters that can be offered: listed folders with a manifest and every still
    // sprite, by display name as a person looks one up (case aside, numbers by value),
    // whatever order the folder lists them in. Broken packs are left out silently.
    static std::vector<CustomCharacter> loadAll();

    bool operator==(const CustomCharacter&) const = default;

private:
    std::string dirName_;
    std::string displayName_;
};

} // namespace plovane
