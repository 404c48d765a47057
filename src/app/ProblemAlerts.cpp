#include "app/ProblemAlerts.h"

#include "app/TerminationSignals.h"
#include "platform/Log.h"
#include "platform/qt/AlertBox.h"
#include "settings/AppLanguage.h"
#include "settings/Strings.h"

#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include <sys/stat.h>

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

// Two sentences of one paragraph: Chinese runs on without a space.
std::string sentences(const std::string& first, const std::string& second, Language language)
{
    return first + (language == Language::zh ? "" : " ") + second;
}

// "Folder: <path>" or "File: <path>", and "Reason: <words>", each on a line of its own.
std::string where(const std::string& label, const std::string& path, const std::string& reason, Language language)
{
    std::string text = label + path;
    if (!reason.empty())
        text += "\n" + Strings::problemReasonLabel(language) + reason;
    return text;
}

std::string where(const FileProblem& problem, Language language)
{
    return where(problem.folder ? Strings::problemFolderLabel(language) : Strings::problemFileLabel(language),
                 problem.path, Strings::problemCause(problem.cause, problem.detail, language), language);
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

// Shows `box` until the user closes it, or the program is asked to end.
void showUntilClosed(QMessageBox& box)
{
    TerminationSignals endNow([&box](int) { box.reject(); });
    box.exec();
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Why what is unsaved could not be written: the settings' problem first, then the daily
// records', each file or folder once.
std::vector<FileProblem> unsavedProblems(const FileUserDefaults& store)
{
    std::vector<FileProblem> problems;
    const auto add = [&problems](const FileProblem& problem) {
        if (problem && std::none_of(problems.begin(), problems.end(),
                                    [&problem](const FileProblem& p) { return p.path == problem.path; }))
            problems.push_back(problem);
    };
    if (store.settingsUnsaved())
        add(store.settingsFailure());
    if (!store.unsavedDays().empty())
        add(store.daysFailure());
    return problems;
}

// What could not be saved, and each file or folder that failed, with why.
std::string notSaved(const FileUserDefaults& store, Language language)
{
    std::string text = Strings::problemNotSavedMessage(store.settingsUnsaved(), !store.unsavedDays().empty(), language);
    for (const FileProblem& problem : unsavedProblems(store))
        text += "\n" + where(problem, language);
    return text;
}

// What to do about it: the advice for each cause, once.
std::string fixFor(const FileUserDefaults& store, Language language)
{
    std::vector<FileProblem::Cause> causes;
    for (const FileProblem& problem : unsavedProblems(store))
        if (std::find(causes.begin(), causes.end(), problem.cause) == causes.end())
            causes.push_back(problem.cause);
    if (causes.empty())
        causes.push_back(FileProblem::Cause::none);
    std::string text;
    for (const FileProblem::Cause cause : causes) {
        const std::string fix = Strings::problemFix(cause, language);
        text = text.empty() ? fix : sentences(text, fix, language);
    }
    return text;
}

} // namespace

Language languageFor(const std::string& settingsFolder)
{
    if (const auto stored = FileUserDefaults::peek(settingsFolder, AppLanguage::kDefaultsKey); stored && stored->is_string())
        if (const auto language = fromRaw<Language>(stored->get<std::string>()))
            return *language;
    return fromLocale();
}

void showCannotStart(Language language, const std::string& settingsFolder, const FileProblem& problem)
{
    // A first start finds no folder, and so nothing that stays in it.
    const std::string kept = isFolder(settingsFolder) ? Strings::problemCannotStartKept(language)
                                                      : Strings::problemCannotStartNothingKept(language);
    const auto box = alert(Strings::problemCannotStartTitle(language),
                           (problem.folder ? Strings::problemCannotStartMessage(language)
                                           : Strings::problemCannotStartFileMessage(language)) +
                               "\n\n" + where(problem, language) + "\n\n" + kept + "\n\n" +
                               sentences(Strings::problemFix(problem.cause, language),
                                         Strings::problemCannotStartAdvice(language), language));
    addOK(*box, language);
    showUntilClosed(*box);
}

void showSettingsFileProblem(Language language, const FileUserDefaults::SettingsFileProblem& problem)
{
    const bool kept = !problem.keptAs.empty();
    const std::string message =
        Strings::problemSettingsMessage(language) + "\n\n" + where(problem.problem, language) + "\n\n" +
        (kept ? Strings::problemSettingsKeptAs(language) + problem.keptAs + "\n\n" +
                    Strings::problemSettingsKeptAdvice(language)
              : Strings::problemSettingsLeftAlone(language) + "\n\n" +
                    Strings::problemSettingsLeftAloneAdvice(language));
    QMessageBox* box = alert(Strings::problemSettingsTitle(language), message).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    addOK(*box, language);
    box->open();
}

void showRunningElsewhere(Language language, const std::string& display, long process)
{
    std::string where;
    if (!display.empty())
        where += Strings::problemAlreadyRunningDisplay(language) + display;
    if (process > 0)
        where += (where.empty() ? "" : "\n") + Strings::problemAlreadyRunningProcess(language) + std::to_string(process);
    const auto box = alert(Strings::problemAlreadyRunningTitle(language),
                           Strings::problemAlreadyRunningMessage(language) + (where.empty() ? "" : "\n\n" + where) +
                               "\n\n" + Strings::problemAlreadyRunningAdvice(language));
    addOK(*box, language);
    showUntilClosed(*box);
}

bool askToSaveAgain(Language language, const FileUserDefaults& store,
                    std::optional<std::chrono::steady_clock::time_point> answerBy)
{
    const auto box = alert(Strings::problemNotSavedTitle(language),
                           notSaved(store, language) + "\n\n" + Strings::problemNotSavedKept(language) + "\n" +
                               store.folder() + "\n\n" +
                               sentences(fixFor(store, language), Strings::problemNotSavedAdvice(language), language));
    QPushButton* again = box->addButton(qs(Strings::problemTryAgain(language)), QMessageBox::AcceptRole);
    QPushButton* quit = box->addButton(qs(Strings::problemQuitAnyway(language)), QMessageBox::RejectRole);
    box->setDefaultButton(again);
    box->setEscapeButton(quit);
    // The system asked us to end (a logout, a service stop): it waits only so long for us.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, box.get(), [&box] {
        logLine("Asked to end, and no answer came: quitting without what could not be saved.");
        box->reject();
    });
    if (answerBy) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*answerBy - std::chrono::steady_clock::now());
        deadline.start(static_cast<int>(std::max<long long>(0, left.count())));
    }
    // Asked to end meanwhile: nothing more can be done.
    TerminationSignals endNow([&box](int) { box->reject(); });
    box->exec();
    return box->clickedButton() == again;
}

FailingSaves::FailingSaves(FileUserDefaults& store)
    : store_(store), failing_(store.savesFailing.connect([this](bool failing) { failing ? show() : close(); }))
{
}

FailingSaves::~FailingSaves()
{
    failing_.disconnect();
    close();
}

void FailingSaves::show()
{
    const Language language = AppLanguage::shared().language;
    const std::string text = notSaved(store_, language) + "\n\n" + Strings::problemSavingKept(language) + "\n\n" +
                             fixFor(store_, language);
    // Another part failed while the alert about the first is still up: it names both.
    if (box_ && box_->isVisible()) {
        box_->setInformativeText(breakableText(qs(text)));
        return;
    }
    QMessageBox* box = alert(Strings::problemNotSavedTitle(language), text).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    addOK(*box, language);
    // Not modal: the ticks, the HUD and the menus go on meanwhile.
    box->setModal(false);
    box->show();
    box_ = box;
}

void FailingSaves::close()
{
    if (box_)
        box_->close();
}

} // namespace plovane::problemAlerts
