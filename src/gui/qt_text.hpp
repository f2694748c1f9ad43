// What the windows share in showing the system's texts: the records and
// headers keep single-byte Windows-1252 texts, the windows show and take
// Unicode, and lists of records are shown in the fixed-pitch report font so
// their columns line up.
#pragma once

#include <QFont>
#include <QString>
#include <string>
#include <string_view>

#include "core/windows1252.hpp"

namespace kestrel::gui {

// A stored text (Windows-1252) for a window. The code page is Latin-1 but
// for 0x80..0x9F, so only those bytes are looked up: lists of many records
// show their texts without a round through UTF-8.
inline QString qtext(std::string_view text) {
  QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  for (QChar& c : shown) {
    if (c.unicode() >= 0x80 && c.unicode() < 0xA0) {
      c = QChar(static_cast<char16_t>(windows1252CodePoint(static_cast<unsigned char>(c.unicode()))));
    }
  }
  return shown;
}

// A line that joins stored texts with file names or typed texts (messages,
// log lines): UTF-8 sequences as they are, other bytes as Windows-1252.
inline QString qmixed(std::string_view text) { return QString::fromStdString(mixedToUtf8(text)); }

// What a window holds, as a stored text: a character Windows-1252 cannot
// hold becomes '?'.
inline std::string stext(const QString& text) { return utf8ToWindows1252(text.toStdString()).text; }

// "Courier New" (Liberation Mono stands in), 9 points.
inline QFont listFont() {
  QFont font("Courier New");
  font.setStyleHint(QFont::Monospace);
  font.setPointSize(9);
  return font;
}

}  // namespace kestrel::gui
