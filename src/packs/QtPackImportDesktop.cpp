#include "packs/QtPackImportDesktop.h"

#include "settings/AppLanguage.h"
#include "settings/Strings.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QStandardPaths>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QUrl>

namespace plovane {
namespace {

constexpr int kAlertMinimumWidth = 360;

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

Language language() { return AppLanguage::shared().language; }


// We are an accessory that never holds the focus; a dialog the user asked for should.
// While it has it, it stands above the HUD (and only then: not above other applications).
void takeFocusWhenShown(QWidget* dialog)
{
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->raise();
        dialog->activateWindow();
    });
}

// Lines break at spaces; a run of text longer than this without one (a pack's long name)
// may also break between any two of its characters.
constexpr int kLongestUnbrokenRun = 24;

QString breakableText(const QString& text)
{
    constexpr QChar kZeroWidthSpace(0x200B);
    QString out;
    out.reserve(text.size());
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    qsizetype runStart = 0;
    while (graphemes.toNextBoundary() != -1) {
        const qsizetype end = graphemes.position();
        const QString grapheme = text.mid(start, end - start);
        if (grapheme.front().isSpace())
            runStart = out.size() + grapheme.size();
        out += grapheme;
        // Within a long run every character boundary becomes a break opportunity.
        if (out.size() - runStart > kLongestUnbrokenRun && end < text.size() && !text.at(end).isSpace())
            out += kZeroWidthSpace;
        start = end;
    }
    return out;
}

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
    auto box = std::make_unique<QMessageBox>(success ? QMessageBox::Information : QMessageBox::Warning, qs(title),
                                             qs(title), QMessageBox::NoButton);
    // The title in bold above the message, as alerts usually read.
    box->setTextFormat(Qt::RichText);
    box->setText(QStringLiteral("<b>%1</b>").arg(qs(title).toHtmlEscaped()));
    // The message may carry a pack's own name: always plain text, never markup, wrapped
    // inside the alert however long the name is, never cut off at its edge.
    box->setInformativeText(breakableText(qs(message)));
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
    // Wide enough that a one-line message stays on one line and the title fits.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(kAlertMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
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
        // A dialog of the desktop's own (not ours) may let another kind of file through.
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
