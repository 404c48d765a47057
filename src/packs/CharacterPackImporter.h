#pragma once

#include "packs/PackArchiveInspector.h"
#include "packs/PackSprites.h"
#include "packs/UnzipRunner.h"

#include <stop_token>
#include <string>
#include <system_error>
#include <vector>

namespace plovane {

// How one import ended. Carries facts only; the words are chosen in the language of the
// moment the alert is shown.
struct PackImportOutcome {
    enum class Kind {
        installed,
        unzipFailed,
        missingManifest,
        missingSprites,
        // The archive, or what it unpacked to, is not allowed in; see refusal.
        refused,
        // A file operation failed; see failedStep, path and error.
        failed,
        // The application is quitting: no alert.
        cancelled,
    };
    enum class Step { createTemporaryFolder, startUnzip, listTemporaryFolder, copyPack };

    Kind kind{Kind::failed};
    PackVerdict refusal{PackVerdict::ok};
    // Required sprite keys that are missing, in the required order.
    std::vector<std::string> missingKeys;
    // For an installed pack: its folder under the packs folder and the name it shows.
    std::string folderName;
    std::string displayName;
    Step failedStep{Step::createTemporaryFolder};
    std::string path;
    std::error_code error;
};

struct PackImportSettings {
    // The folder of imported packs; the import expects it to exist.
    std::string packsFolder;
    // Where the import's own temporary folder is made.
    std::string temporaryBase;
    UnzipOptions unzip;
    // Decodes each sprite whole; without it sprites are judged by their headers alone.
    SpriteDecoder spriteDecodes;
};

// Imports one archive: checks its listing, unpacks it into a fresh temporary folder,
// checks what came out, finds the pack folder and its sprites and installs it. Blocks,
// so it runs on a worker thread. The temporary folder is gone when it returns.
PackImportOutcome importCharacterPackArchive(const std::string& archive, const PackImportSettings& settings,
                                             std::stop_token stop = {});

// The "name" of a manifest that is a JSON object with a string there, else `fallback`.
std::string packDisplayName(const std::string& manifestPath, const std::string& fallback);

} // namespace plovane
