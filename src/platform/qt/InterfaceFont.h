#pragma once

#include <QFont>
#include <QStringList>

namespace plovane::fonts {

// The families for Chinese text that have a bold of their own, in the order they are
// tried: our cut of Noto Sans CJK SC (the program's own texts, a small file) and then the
// full face (anything else, such as application names); empty when neither is there.
// Fallback would otherwise pick whichever Chinese font fontconfig lists first, often one
// with a single weight, and set Chinese in regular beside bold Latin.
QStringList cjkFamilies();

// `font` with its own family first, then the colour emoji family and the Chinese families,
// so Latin text keeps the desktop's face, emoji it lacks are in colour and Chinese text
// keeps the weight asked for.
QFont withCjkFamilies(const QFont& font);

// The application's font with the Chinese families behind it: what every text of the HUD
// and the windows starts from.
QFont interfaceFont();

} // namespace plovane::fonts
