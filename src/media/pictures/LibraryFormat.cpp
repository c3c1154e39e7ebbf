#include "media/pictures/LibraryFormat.h"

#include <unistd.h>

namespace vistrel {

QByteArray fileHead(int descriptor) {
    QByteArray head(qsizetype(fileHeadBytes), Qt::Uninitialized);
    const ssize_t got = ::pread(descriptor, head.data(), std::size_t(head.size()), 0);
    head.truncate(got > 0 ? qsizetype(got) : 0);
    return head;
}

} // namespace vistrel
