#include "media/pictures/LibraryFormat.h"

namespace vistrel {

QByteArray fileHead(int descriptor) {
    return QByteArray::fromStdString(fileHeadOf(descriptor));
}

} // namespace vistrel
