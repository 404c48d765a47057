#pragma once

#include "packs/CharacterPackImporter.h"
#include "packs/PackImportDesktop.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace plovane {

class Scheduler;

// The two pack items of the character menu. The import asks for an archive, then unpacks
// and installs it on a worker thread while the HUD and the engine run on; its outcome
// comes back on the main thread, switches to the new pack and is reported in an alert.
class CharacterPackImport {
public:
    // Called on the main thread once a newly installed pack is the current character and
    // before the success alert; the owner refreshes its menus and status icon.
    using InstalledHandler = std::function<void()>;

    CharacterPackImport(Scheduler& mainScheduler, PackImportDesktop& desktop, InstalledHandler onInstalled);
    // Stops a running import (its tool is killed) and waits for the worker.
    ~CharacterPackImport();
    CharacterPackImport(const CharacterPackImport&) = delete;
    CharacterPackImport& operator=(const CharacterPackImport&) = delete;

    // The import item. While an import is still running, a second one is not started.
    void importCharacterPack();
    // The open-folder item: creates the packs folder when missing and shows it.
    void openCustomSpritesFolder();

    bool isBusy() const { return busy_; }
    // Which unzip program to run and how long to let it; tests use a stand-in.
    void setUnzipOptions(UnzipOptions options) { unzip_ = std::move(options); }

private:
    void finish(const PackImportOutcome& outcome);

    Scheduler& scheduler_;
    PackImportDesktop& desktop_;
    InstalledHandler onInstalled_;
    UnzipOptions unzip_;
    bool busy_{false};
    std::jthread worker_;
    // Results posted back after this object is gone are dropped.
    std::shared_ptr<CharacterPackImport*> self_;
};

} // namespace plovane
