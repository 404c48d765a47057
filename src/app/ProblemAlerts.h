#pragma once

#include "platform/FileUserDefaults.h"
#include "settings/Language.h"

#include <string>

namespace plovane {

// Alerts about what the user must act on, for a program started from a desktop's menu,
// whose standard error nobody reads. Each says what happened, what was kept and where, and
// what the user can do. They need a QApplication; the log keeps its own lines.
namespace problemAlerts {

// The language to speak when the settings may not be readable: the one stored in the
// settings of `settingsFolder` (read without changing anything there), else the user's
// locale when it is Chinese or another language (English then), else Chinese, which a
// first start speaks.
Language languageFor(const std::string& settingsFolder);

// The settings folder cannot be used, so the program does not start. Returns when the
// user closes the alert.
void showCannotStart(Language language, const std::string& folder, const std::string& reason);

// The settings file found at start could not be used. The alert stays while the program
// runs on.
void showSettingsFileProblem(Language language, const FileUserDefaults::SettingsFileProblem& problem);

// At quit, not everything could be saved: true when the user wants to try again, false to
// quit anyway (also when the program is asked to end meanwhile).
bool askToSaveAgain(Language language, const FileUserDefaults& store);

} // namespace problemAlerts
} // namespace plovane
