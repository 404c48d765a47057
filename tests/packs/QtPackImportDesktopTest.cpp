// The pack import's own dialog and alerts, on Qt's offscreen platform.
#include "TestSupport.h"
#include "QtTestSupport.h"

#include "packs/QtPackImportDesktop.h"
#include "settings/AppLanguage.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

using namespace plovane;

TEST(PackImportDialog, OffersZipArchivesOnlyAndRefusesATypedPathToAnotherType)
{
    test::testApp();
    AppLanguage::shared().language = Language::en;
    const std::string folder = test::makeTempDir("downloads");
    std::ofstream(folder + "/notes.txt") << "not a pack";
    std::ofstream(folder + "/Pack.ZIP") << "a pack";

    const auto dialog = makeArchiveDialog("Select Character Pack (.zip)");
    EXPECT_EQ(dialog->nameFilters(), QStringList{"ZIP archive (*.zip)"});
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowStaysOnTopHint) << "above other applications";
    dialog->setDirectory(QString::fromStdString(folder));
    dialog->show();

    // A path typed into the name field and confirmed.
    QString warning;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            warning = box->text();
            EXPECT_FALSE(box->windowFlags() & Qt::WindowStaysOnTopHint);
            box->accept();
        }
    });
    // As the Open button does.
    QDialog& asDialog = *dialog;
    dialog->selectFile(QString::fromStdString(folder + "/notes.txt"));
    asDialog.accept();
    EXPECT_EQ(warning.toStdString(), "Only .zip archives can be imported");
    EXPECT_TRUE(dialog->isVisible()) << "the panel stays open";
    EXPECT_NE(dialog->result(), QDialog::Accepted);

    AppLanguage::shared().language = Language::zh;
    EXPECT_EQ(makeArchiveDialog("x")->nameFilters(), QStringList{"ZIP 压缩包 (*.zip)"});

    dialog->selectFile(QString::fromStdString(folder + "/Pack.ZIP"));
    asDialog.accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->selectedFiles(), QStringList{QString::fromStdString(folder + "/Pack.ZIP")});
}

TEST(PackImportAlert, ALongNameWrapsInsideAndTheAlertIsNotKeptAboveOthers)
{
    test::testApp();
    AppLanguage::shared().language = Language::en;
    const std::string name(400, 'W');
    const auto box = makePackAlert(true, "Import Successful", "Character \"" + name + "\" imported successfully!");
    box->show();
    QApplication::processEvents();
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    ASSERT_NE(label, nullptr);

    EXPECT_FALSE(box->windowFlags() & Qt::WindowStaysOnTopHint) << "above other applications";
    EXPECT_LE(box->width(), box->screen()->availableGeometry().width());
    // Every line of the message fits the label's width, and all its lines its height.
    EXPECT_LE(label->minimumSizeHint().width(), label->width());
    EXPECT_LE(label->heightForWidth(label->width()), label->height());
    EXPECT_GT(label->height(), 3 * label->fontMetrics().height()) << "the name runs over several lines";
    EXPECT_EQ(label->text().remove(QChar(0x200B)).toStdString(), "Character \"" + name + "\" imported successfully!")
        << "only invisible break opportunities added";
    box->accept();
}
