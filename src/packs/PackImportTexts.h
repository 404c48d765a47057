#pragma once

#include "packs/CharacterPackImporter.h"
#include "settings/Language.h"

#include <string>

namespace plovane::PackImportTexts {

// Title of the file dialog that picks the archive.
std::string chooserTitle(Language lang);
// Bold title of the result alert.
std::string alertTitle(bool success, Language lang);
// Informative text of the result alert (nothing for a cancelled import).
std::string message(const PackImportOutcome& outcome, Language lang);

} // namespace plovane::PackImportTexts
