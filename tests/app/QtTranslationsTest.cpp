#include "app/QtTranslations.h"
#include "platform/InMemoryUserDefaults.h"
#include "settings/AppLanguage.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace plovane;

namespace {

bool hasHan(const QString& text)
{
    for (const QChar c : text)
        if (c.script() == QChar::Script_Han)
            return true;
    return false;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

// Qt's own dialogs speak the program's language, and an open one follows a switch.
TEST(QtTranslations, FileDialogAndStandardButtonsFollowTheLanguage)
{
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    InMemoryUserDefaults defaults;
    AppLanguage language(defaults);
    language.language = Language::zh;
    QtTranslations translations(language);

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    const auto* fileName = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    const auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_TRUE(lookIn && fileName && buttons);
    EXPECT_TRUE(hasHan(lookIn->text())) << lookIn->text().toStdString();
    EXPECT_TRUE(hasHan(fileName->text())) << fileName->text().toStdString();
    EXPECT_TRUE(hasHan(buttons->button(QDialogButtonBox::Cancel)->text()));

    QMessageBox alert(QMessageBox::Warning, QStringLiteral("t"), QStringLiteral("x"), QMessageBox::Ok);
    EXPECT_TRUE(hasHan(alert.button(QMessageBox::Ok)->text())) << alert.button(QMessageBox::Ok)->text().toStdString();

    language.language = Language::en;
    settle();
    EXPECT_EQ(lookIn->text(), "Look in:");
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "Cancel");

    language.language = Language::zh;
    settle();
    EXPECT_TRUE(hasHan(lookIn->text())) << lookIn->text().toStdString();
}
