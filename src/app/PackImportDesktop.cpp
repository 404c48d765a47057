#include "app/PackImportDesktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace plovane {
namespace {

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
    dialog.setMimeTypeFilters({QStringLiteral("application/zip")});
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
    box.setInformativeText(qs(message));
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
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
