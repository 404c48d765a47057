#include "packs/QtPackImportDesktop.h"

#include "settings/AppLanguage.h"
#include "settings/Strings.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QSpacerItem>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace plovane {
namespace {

constexpr int kAlertMinimumWidth = 360;

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// We are an accessory that never holds the focus; a dialog the user asked for should.
void takeFocusWhenShown(QWidget* dialog)
{
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->raise();
        dialog->activateWindow();
    });
}

} // namespace

std::optional<std::string> QtPackImportDesktop::chooseArchive(const std::string& title)
{
    QFileDialog dialog(nullptr, qs(title));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Packs are usually downloaded; start there rather than wherever we were launched from.
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    dialog.setDirectory(QDir(downloads).exists() ? downloads : QDir::homePath());
    // The system's own name for ZIP archives where it knows the type.
    if (QMimeDatabase().mimeTypeForName(QStringLiteral("application/zip")).isValid())
        dialog.setMimeTypeFilters({QStringLiteral("application/zip")});
    else
        dialog.setNameFilter(QStringLiteral("ZIP (*.zip)"));
    takeFocusWhenShown(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    return files.front().toStdString();
}

void QtPackImportDesktop::showAlert(bool success, const std::string& title, const std::string& message)
{
    QMessageBox box(success ? QMessageBox::Information : QMessageBox::Warning, qs(title), qs(title),
                    QMessageBox::NoButton);
    // The title in bold above the message, as alerts usually read.
    box.setTextFormat(Qt::RichText);
    box.setText(QStringLiteral("<b>%1</b>").arg(qs(title).toHtmlEscaped()));
    // The message may carry a pack's own name: always plain text, never markup.
    box.setInformativeText(qs(message));
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
    // Wide enough that a one-line message stays on one line and the title fits.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(kAlertMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    const QString okTitle = qs(Strings::packAlertOK(AppLanguage::shared().language));
    QPushButton* ok = box.addButton(okTitle, QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    takeFocusWhenShown(&box);
    box.exec();
}

void QtPackImportDesktop::openFolder(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path)));
}

} // namespace plovane
