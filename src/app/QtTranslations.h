#pragma once

#include "platform/Signal.h"
#include "settings/Language.h"

#include <QObject>
#include <QTranslator>

#include <memory>

namespace plovane {

class AppLanguage;

// Qt's own texts (file dialogs, standard buttons, input-method menus) in the program's
// language: Qt's catalogue for it is installed while that language is chosen, and
// swapped when the user switches. English needs none. Without the catalogue on the
// machine (Debian's qt6-translations-l10n) Qt's texts stay English.
class QtTranslations final {
public:
    // Follows `language` from now on; needs the QApplication.
    explicit QtTranslations(AppLanguage& language);
    ~QtTranslations();

    // Installs the catalogue for `language`; false when there is none to install.
    bool apply(Language language);

private:
    AppLanguage& language_;
    QObject context_;
    std::unique_ptr<QTranslator> translator_;
    Connection observer_;
};

} // namespace plovane
