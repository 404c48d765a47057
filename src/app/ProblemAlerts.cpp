#include "app/ProblemAlerts.h"

#include "app/TerminationSignals.h"
#include "platform/qt/AlertBox.h"
#include "settings/AppLanguage.h"
#include "settings/Strings.h"

#include <QPushButton>

#include <cstdlib>
#include <string_view>

namespace plovane::problemAlerts {
namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

Language fromLocale()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        const std::string_view locale(value);
        if (locale.starts_with("zh"))
            return Language::zh;
        // The C locale tells no preference.
        if (locale == "C" || locale.starts_with("C.") || locale == "POSIX")
            return Language::zh;
        return Language::en;
    }
    return Language::zh;
}

// "Folder: <path>" and "Reason: <words>", each on a line of its own.
std::string where(const std::string& label, const std::string& path, const std::string& reason, Language language)
{
    std::string text = label + path;
    if (!reason.empty())
        text += "\n" + Strings::problemReasonLabel(language) + reason;
    return text;
}

std::unique_ptr<QMessageBox> alert(const std::string& title, const std::string& message)
{
    auto box = makeAlertBox(QMessageBox::Warning, qs(title), qs(message));
    takeFocusWhenShown(box.get());
    return box;
}

void addOK(QMessageBox& box, Language language)
{
    QPushButton* ok = box.addButton(qs(Strings::problemOK(language)), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
}

} // namespace

Language languageFor(const std::string& settingsFolder)
{
    if (const auto stored = FileUserDefaults::peek(settingsFolder, AppLanguage::kDefaultsKey); stored && stored->is_string())
        if (const auto language = fromRaw<Language>(stored->get<std::string>()))
            return *language;
    return fromLocale();
}

void showCannotStart(Language language, const std::string& folder, const std::string& reason)
{
    const auto box = alert(Strings::problemCannotStartTitle(language),
                           Strings::problemCannotStartMessage(language) + "\n\n" +
                               where(Strings::problemFolderLabel(language), folder, reason, language) + "\n\n" +
                               Strings::problemCannotStartKept(language) + "\n\n" +
                               Strings::problemCannotStartAdvice(language));
    addOK(*box, language);
    TerminationSignals endNow([&box](int) { box->reject(); });
    box->exec();
}

void showSettingsFileProblem(Language language, const FileUserDefaults::SettingsFileProblem& problem)
{
    const bool kept = !problem.keptAs.empty();
    const std::string message =
        Strings::problemSettingsMessage(language) + "\n\n" +
        where(Strings::problemFileLabel(language), problem.path, problem.reason, language) + "\n\n" +
        (kept ? Strings::problemSettingsKeptAs(language) + problem.keptAs + "\n\n" +
                    Strings::problemSettingsKeptAdvice(language)
              : Strings::problemSettingsLeftAlone(language) + "\n\n" +
                    Strings::problemSettingsLeftAloneAdvice(language));
    QMessageBox* box = alert(Strings::problemSettingsTitle(language), message).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    addOK(*box, language);
    box->open();
}

bool askToSaveAgain(Language language, const FileUserDefaults& store)
{
    const bool settings = store.settingsUnsaved();
    const bool statistics = !store.unsavedDays().empty();
    const std::string reason = settings && !store.settingsFailure().empty() ? store.settingsFailure()
                                                                            : store.daysFailure();
    const auto box = alert(Strings::problemNotSavedTitle(language),
                           Strings::problemNotSavedMessage(settings, statistics, language) + "\n" +
                               Strings::problemReasonLabel(language) + reason + "\n\n" +
                               Strings::problemNotSavedKept(language) + "\n" + store.folder() + "\n\n" +
                               Strings::problemNotSavedAdvice(language));
    QPushButton* again = box->addButton(qs(Strings::problemTryAgain(language)), QMessageBox::AcceptRole);
    QPushButton* quit = box->addButton(qs(Strings::problemQuitAnyway(language)), QMessageBox::RejectRole);
    box->setDefaultButton(again);
    box->setEscapeButton(quit);
    // Asked to end meanwhile: nothing more can be done.
    TerminationSignals endNow([&box](int) { box->reject(); });
    box->exec();
    return box->clickedButton() == again;
}

} // namespace plovane::problemAlerts
