#pragma once

#include <QMessageBox>
#include <QString>

#include <memory>

class QWidget;

namespace plovane {

// An alert the way the program shows them: the title in bold above the message, which is
// plain text (never markup) wrapped to the alert's width however long a name or a path in
// it is. The caller adds the buttons.
std::unique_ptr<QMessageBox> makeAlertBox(QMessageBox::Icon icon, const QString& title, const QString& message);

// `text` with a break opportunity inside every long run without spaces (a pack's name, a
// path), so a label can wrap it.
QString breakableText(const QString& text);

// We are an accessory that never holds the focus; a dialog the user asked for, or must
// act on, should. While it has it, it stands above the HUD (and only then: not above
// other applications).
void takeFocusWhenShown(QWidget* dialog);

} // namespace plovane
