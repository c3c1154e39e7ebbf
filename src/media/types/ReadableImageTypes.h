#pragma once

#include <QByteArray>
#include <QList>

namespace vistrel {

// The MIME types the image reader reads, sorted, told without loading a plugin: the
// reader's own list loads every image format plugin installed, and the libraries
// behind them, to ask each what it reads, which is tens of milliseconds of the
// start-up. Each plugin's metadata names its types; the reader's built-in formats
// complete the list.
class ReadableImageTypes {
  public:
    static QList<QByteArray> mimeTypes();
};

} // namespace vistrel
