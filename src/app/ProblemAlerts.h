#pragma once

#include "platform/FileProblem.h"
#include "platform/FileUserDefaults.h"
#include "platform/Signal.h"
#include "settings/Language.h"

#include <QPointer>

#include <chrono>
#include <optional>
#include <string>

class QMessageBox;

namespace plovane {

// Alerts about what the user must act on, for a program started from a desktop's menu,
// whose standard error nobody reads. Each says what happened, what was kept and where, and
// what the user can do, for the cause at hand. They need a QApplication; the log keeps
// its own lines.
namespace problemAlerts {

// The language to speak when the settings may not be readable: the one stored in the
// settings of `settingsFolder` (read without changing anything there), else the user's
// locale when it is Chinese or another language (English then), else Chinese, which a
// first start speaks.
Language languageFor(const std::string& settingsFolder);

// What must be written cannot be, so the program does not start. Returns when the user
// closes the alert.
void showCannotStart(Language language, const std::string& settingsFolder, const FileProblem& problem);

// The settings file found at start could not be used. The alert stays while the program
// runs on.
void showSettingsFileProblem(Language language, const FileUserDefaults::SettingsFileProblem& problem);

// Another session of this computer runs the copy that holds the settings: where. Returns
// when the user closes the alert.
void showRunningElsewhere(Language language, const std::string& display, long process);

// At quit, not everything could be saved: true when the user wants to try again, false to
// quit anyway, also when the program is asked to end meanwhile, or once `answerBy` has
// passed.
bool askToSaveAgain(Language language, const FileUserDefaults& store,
                    std::optional<std::chrono::steady_clock::time_point> answerBy = std::nullopt);

// Says so the moment the store's saves start to fail while the program runs, in a window
// that holds up nothing (the store keeps trying), and takes it away once everything is
// saved again, or when this goes. Each part that starts to fail is told once: in a new
// window when the user closed the last, else in the open one, which then names both.
class FailingSaves final {
public:
    explicit FailingSaves(FileUserDefaults& store);
    ~FailingSaves();
    FailingSaves(const FailingSaves&) = delete;
    FailingSaves& operator=(const FailingSaves&) = delete;

private:
    void show();
    void close();

    FileUserDefaults& store_;
    Connection failing_;
    QPointer<QMessageBox> box_;
};

} // namespace problemAlerts
} // namespace plovane
