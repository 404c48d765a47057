#include "app/QtTranslations.h"

#include "settings/AppLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>

namespace plovane {

QtTranslations::QtTranslations(AppLanguage& language) : language_(language)
{
    apply(language_.language.get());
    // The switch is announced before it is stored: look once it is done.
    observer_ = language_.objectWillChange.connect(
        [this] { QTimer::singleShot(0, &context_, [this] { apply(language_.language.get()); }); });
}

QtTranslations::~QtTranslations()
{
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
}

bool QtTranslations::apply(Language language)
{
    // Removing and installing a catalogue sends every widget a language change, so an
    // open file dialog relabels itself.
    if (translator_) {
        QCoreApplication::removeTranslator(translator_.get());
        translator_.reset();
    }
    if (language != Language::zh)
        return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China),
                          QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    translator_ = std::move(translator);
    return true;
}

} // namespace plovane
