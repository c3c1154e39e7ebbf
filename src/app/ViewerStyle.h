#pragma once

#include <QProxyStyle>

namespace vistrel {

// The platform's own style, except for the icon of the menu bar's overflow button,
// which is drawn here. The toolkit reads its bundled icon through an image reader
// that, asked for a PNG file, first loads every image format plugin installed: tens of
// milliseconds of the start-up for a button the full-screen menu bar never shows.
class ViewerStyle : public QProxyStyle {
  public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

} // namespace vistrel
