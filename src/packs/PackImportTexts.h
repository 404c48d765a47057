#pragma once

#include "packs/CharacterPackImporter.h"
#include "settings/Language.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace plovane::PackImportTexts {

// Title of the file dialog that picks the archive.
std::string chooserTitle(Language lang);
// Bold title of the result alert.
std::string alertTitle(bool success, Language lang);
// Informative text of the result alert (nothing for a cancelled import).
std::string message(const PackImportOutcome& outcome, Language lang);

// A name someone else chose, ready to sit inside our text: cut to `maxCharacters` (then
// ending in "…"), and isolated as bidirectional text (FSI … PDI), so right-to-left
// letters or an unclosed override in it cannot reorder the words around it.
std::string isolatedName(std::string_view name, std::size_t maxCharacters = 64);

} // namespace plovane::PackImportTexts
