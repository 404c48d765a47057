#pragma once

#include <QFont>
#include <QString>

namespace plovane::fonts {

// The installed family for Chinese text that has a bold of its own (Noto Sans CJK SC or
// one of its other names), or empty when there is none. Fallback would otherwise pick
// whichever Chinese font fontconfig lists first, often one with a single weight, and set
// Chinese in regular beside bold Latin.
QString cjkFamily();

// `font` with its own family first and the Chinese family behind it, so Latin text keeps
// the desktop's face and Chinese text keeps the weight asked for.
QFont withCjkFamily(const QFont& font);

// The application's font with the Chinese family behind it: what every text of the HUD
// and the windows starts from.
QFont interfaceFont();

} // namespace plovane::fonts
