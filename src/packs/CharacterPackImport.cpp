#include "packs/CharacterPackImport.h"

#include "packs/PackImportTexts.h"
#include "packs/QtPackImportDesktop.h"
#include "platform/Log.h"
#include "platform/Scheduler.h"
#include "settings/AppLanguage.h"
#include "settings/AppResource.h"
#include "settings/HUDSettings.h"

#include <cstdlib>

namespace plovane {
namespace {

// Where the unpacked archive goes for its checks: $TMPDIR, as the desktop's other programs
// take it, else /tmp.
std::string temporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

CharacterPackImport::CharacterPackImport(Scheduler& mainScheduler, PackImportDesktop& desktop,
                                         InstalledHandler onInstalled)
    : scheduler_(mainScheduler),
      desktop_(desktop),
      onInstalled_(std::move(onInstalled)),
      self_(std::make_shared<CharacterPackImport*>(this))
{
}

CharacterPackImport::~CharacterPackImport()
{
    self_.reset();
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

void CharacterPackImport::importCharacterPack()
{
    if (busy_) {
        logLine("A character pack is still being imported; ignoring another import.");
        return;
    }
    const auto archive = desktop_.chooseArchive(PackImportTexts::chooserTitle(AppLanguage::shared().language));
    if (!archive)
        return;

    PackImportSettings settings;
    settings.packsFolder = AppResource::customSpritesBase();
    settings.temporaryBase = temporaryFolder();
    settings.unzip = unzip_;
    settings.spriteDecodes = decodesWhole;

    busy_ = true;
    if (worker_.joinable())
        worker_.join(); // the previous import has posted its result and is ending
    worker_ = std::jthread([archive = *archive, settings, weak = std::weak_ptr<CharacterPackImport*>(self_),
                            &scheduler = scheduler_](std::stop_token stop) {
        auto outcome = importCharacterPackArchive(archive, settings, stop);
        scheduler.post([weak, outcome = std::move(outcome)] {
            if (auto self = weak.lock())
                (*self)->finish(outcome);
        });
    });
}

void CharacterPackImport::finish(const PackImportOutcome& outcome)
{
    busy_ = false;
    if (outcome.kind == PackImportOutcome::Kind::cancelled)
        return;
    const bool success = outcome.kind == PackImportOutcome::Kind::installed;
    if (success) {
        HUDSettings::shared().characterID = CharacterID::custom(outcome.folderName);
        if (onInstalled_)
            onInstalled_();
    }
    // The language of the moment the alert shows.
    const Language lang = AppLanguage::shared().language;
    desktop_.showAlert(success, PackImportTexts::alertTitle(success, lang), PackImportTexts::message(outcome, lang));
}

void CharacterPackImport::openCustomSpritesFolder()
{
    AppResource::ensureCustomSpritesDir();
    desktop_.openFolder(AppResource::customSpritesBase());
}

} // namespace plovane
