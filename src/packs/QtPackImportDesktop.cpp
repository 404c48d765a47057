#include "packs/QtPackImportDesktop.h"

#include "platform/qt/AlertBox.h"
#include "settings/AppLanguage.h"
#include "settings/Strings.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

namespace plovane {
namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

Language language() { return AppLanguage::shared().language; }

bool isZipArchiveName(const QString& path)
{
    return path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive);
}

void showNotZip(QWidget* parent)
{
    QMessageBox box(QMessageBox::Warning, parent ? parent->windowTitle() : QString(),
                    qs(Strings::packChooserNotZip(language())), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(qs(Strings::packAlertOK(language())), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    takeFocusWhenShown(&box);
    box.exec();
}

// The file list shows ZIP archives only, but a path typed into the name field is taken
// as it is; one to another kind of file is refused here and the panel stays open.
class ArchiveDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo chosen(files.front());
            if (chosen.isFile() && !isZipArchiveName(chosen.fileName())) {
                showNotZip(this);
                return;
            }
        }
        QFileDialog::accept();
    }
};

} // namespace

bool decodesWhole(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path), "png");
    QImage image;
    return reader.read(&image) && !image.isNull();
}

std::unique_ptr<QFileDialog> makeArchiveDialog(const std::string& title)
{
    auto dialog = std::make_unique<ArchiveDialog>(nullptr, qs(title));
    // Our own panel, not the one a desktop's platform theme offers (GNOME's and XFCE's
    // open GTK's chooser inside our process): that one is no window the toolkit knows, so
    // it neither comes above the floating HUD nor, under GNOME's window manager, above
    // the window the user was in; it speaks the system's language rather than ours; and
    // it lets a typed path to another kind of file through.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Packs are usually downloaded; start there rather than wherever we were launched from.
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    dialog->setDirectory(QDir(downloads).exists() ? downloads : QDir::homePath());
    // "*.zip" alone: the system's type for ZIP archives also lists other suffixes.
    dialog->setNameFilter(qs(Strings::packChooserFilter(language())));
    return dialog;
}

std::unique_ptr<QMessageBox> makePackAlert(bool success, const std::string& title, const std::string& message)
{
    // The message may carry a pack's own name: never markup, and wrapped however long.
    auto box = makeAlertBox(success ? QMessageBox::Information : QMessageBox::Warning, qs(title), qs(message));
    QPushButton* ok = box->addButton(qs(Strings::packAlertOK(language())), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    return box;
}

std::optional<std::string> QtPackImportDesktop::chooseArchive(const std::string& title)
{
    for (;;) {
        const auto dialog = makeArchiveDialog(title);
        takeFocusWhenShown(dialog.get());
        if (dialog->exec() != QDialog::Accepted)
            return std::nullopt;
        const QStringList files = dialog->selectedFiles();
        if (files.isEmpty() || files.front().isEmpty())
            return std::nullopt;
        // The panel refuses a typed path to another kind of file; whatever still gets
        // through is refused here.
        if (isZipArchiveName(files.front()))
            return files.front().toStdString();
        showNotZip(nullptr);
    }
}

void QtPackImportDesktop::showAlert(bool success, const std::string& title, const std::string& message)
{
    const auto box = makePackAlert(success, title, message);
    takeFocusWhenShown(box.get());
    box->exec();
}

void QtPackImportDesktop::openFolder(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path)));
}

} // namespace plovane
