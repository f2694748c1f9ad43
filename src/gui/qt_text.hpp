// What the windows share in showing the system's texts: the texts are
// single-byte (Latin-1), as the files store them, and lists of records are
// shown in the fixed-pitch report font so their columns line up.
#pragma once

#include <QFont>
#include <QString>
#include <string_view>

namespace kestrel::gui {

inline QString qtext(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// "Courier New" (Liberation Mono stands in), 9 points.
inline QFont listFont() {
  QFont font("Courier New");
  font.setStyleHint(QFont::Monospace);
  font.setPointSize(9);
  return font;
}

}  // namespace kestrel::gui
