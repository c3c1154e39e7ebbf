#include "app/ClaimLock.h"

#include "app/InstanceLog.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vistrel {

ClaimLock::ClaimLock(const QString& path)
    : m_descriptor(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (m_descriptor < 0 || ::flock(m_descriptor, LOCK_EX) != 0)
        qCWarning(lcInstance).noquote() << "cannot lock" << path << ":" << std::strerror(errno);
}

ClaimLock::~ClaimLock() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

} // namespace vistrel
