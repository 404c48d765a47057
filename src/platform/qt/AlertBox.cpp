#include "platform/qt/AlertBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QTextBoundaryFinder>
#include <QTimer>

namespace plovane {
namespace {

constexpr int kAlertMinimumWidth = 360;

// Lines break where the text allows it; a run of text longer than this without a place
// to break may also break between its characters.
constexpr int kLongestUnbrokenRun = 24;

} // namespace

QString breakableText(const QString& text)
{
    constexpr QChar kZeroWidthSpace(0x200B);
    QString out;
    out.reserve(text.size());
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    // Where a line may break anyway: after a space, between two Chinese characters (but
    // never before a full stop or comma, nor after an opening quote).
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    qsizetype start = 0;
    qsizetype runStart = 0;
    while (graphemes.toNextBoundary() != -1) {
        const qsizetype end = graphemes.position();
        out += text.mid(start, end - start);
        start = end;
        if (end >= text.size())
            break;
        lines.setPosition(end);
        if (lines.isAtBoundary())
            runStart = out.size();
        // Within a long run every other boundary becomes a break opportunity, but a line
        // still never starts with punctuation.
        else if (out.size() - runStart > kLongestUnbrokenRun && !text.at(end).isPunct())
            out += kZeroWidthSpace;
    }
    return out;
}

void takeFocusWhenShown(QWidget* dialog)
{
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->raise();
        dialog->activateWindow();
    });
}

std::unique_ptr<QMessageBox> makeAlertBox(QMessageBox::Icon icon, const QString& title, const QString& message)
{
    auto box = std::make_unique<QMessageBox>(icon, title, title, QMessageBox::NoButton);
    // The title in bold above the message, as alerts usually read.
    box->setTextFormat(Qt::RichText);
    box->setText(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()));
    box->setInformativeText(breakableText(message));
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
    // Wide enough that a one-line message stays on one line and the title fits.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(kAlertMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

} // namespace plovane
