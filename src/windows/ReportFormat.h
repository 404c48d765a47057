#pragma once

#include "settings/Language.h"

#include <QDateTime>
#include <QString>

#include <string>

namespace plovane::windows {

// "45s" below a minute, then "59m", "1h0m", "23h59m": leftover seconds are dropped.
std::string formatDuration(long long seconds);

// The report's date patterns, written with the common (Unicode) pattern letters:
// "yyyy年M月d日 EEEE" in Chinese, "EEEE, MMM d" in English.
QString reportDatePattern(Language language);
// The same pattern in Qt's letters (EEEE → dddd, EEE → ddd, …); quoted text and any
// character that is not a pattern letter pass through.
QString qtDatePattern(const QString& unicodePattern);
// `when` in the report's pattern and locale (zh_CN or en_US).
QString formattedDate(Language language, const QDateTime& when);

// Names longer than 16 user-perceived characters are cut there and end in "…".
QString displayName(const QString& name, int limit = 16);

} // namespace plovane::windows
