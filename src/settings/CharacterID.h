#pragma once

#include "settings/SpriteCharacter.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace plovane {

// The chosen character: a built-in one, or a custom one named by its folder under the
// custom sprites folder. A built-in and a custom character are never equal.
class CharacterID {
public:
    static CharacterID builtIn(SpriteCharacter character) { return CharacterID(character); }
    static CharacterID custom(std::string dirName) { return CharacterID(std::move(dirName)); }

    // Parses the stored form. "custom:<folder>" gives that custom character (the folder
    // may be empty); "tuffin" or "corgi" that built-in one; anything else tuffin.
    static CharacterID from(std::string_view raw);
    // The stored form: "tuffin", "corgi" or "custom:" + folder name, unescaped.
    std::string rawValue() const;

    bool isCustom() const { return std::holds_alternative<std::string>(value_); }
    // The built-in character, or nothing for a custom one.
    std::optional<SpriteCharacter> builtInCharacter() const;
    // The folder name of a custom character; empty for a built-in one.
    const std::string& customDirName() const;

    // The built-in display name; for a custom character the name in its manifest when
    // it is currently offered, else its folder name.
    std::string displayName() const;

    // Still sprite and animation frame paths: relative to the resource base for a
    // built-in character, absolute for a custom one. The file need not exist.
    std::string spritePath(std::string_view state) const;
    std::string spriteFramePath(std::string_view state, int frame) const;
    // Whether the file of a path made by this same value exists.
    bool spriteExists(const std::string& path) const;
    // Length of the unbroken run of animation frames 1, 2, 3 … for `state`.
    int frameCount(std::string_view state) const;

    bool operator==(const CharacterID&) const = default;

private:
    explicit CharacterID(SpriteCharacter character) : value_(character) {}
    explicit CharacterID(std::string dirName) : value_(std::move(dirName)) {}

    std::variant<SpriteCharacter, std::string> value_;
};

} // namespace plovane
