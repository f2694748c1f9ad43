#include "gui/application_icon.hpp"

#include <QImage>
#include <QImageReader>
#include <QPixmap>

// The resource lives in a static library: its registration is called for
// explicitly, outside any namespace, as the resource system requires.
static void initIconResources() { Q_INIT_RESOURCE(kestrel); }

namespace kestrel::gui {

QIcon applicationIcon() {
  // Drawn once into the sizes title bars, menus and task lists ask for: an
  // icon left as SVG is drawn again by every window that shows it.
  static const QIcon icon = [] {
    initIconResources();
    QIcon drawn;
    for (const int side : {16, 24, 32, 48, 64, 128}) {
      QImageReader reader(":/kestrel/kestrel.svg");
      reader.setScaledSize(QSize(side, side));
      const QImage image = reader.read();
      if (!image.isNull()) drawn.addPixmap(QPixmap::fromImage(image));
    }
    return drawn;
  }();
  return icon;
}

}  // namespace kestrel::gui
