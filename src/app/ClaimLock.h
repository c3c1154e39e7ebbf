#pragma once

#include <QString>

namespace vistrel {

// Held while a starting viewer decides between handing over and serving, so two
// started at once cannot both find no viewer and both listen. The system releases
// it when its holder dies, so a crash never leaves it taken.
class ClaimLock {
  public:
    // Waits until the lock file at `path` is free; a lock that cannot be had is
    // logged and the claim goes on without it.
    explicit ClaimLock(const QString& path);
    ~ClaimLock();
    ClaimLock(const ClaimLock&) = delete;
    ClaimLock& operator=(const ClaimLock&) = delete;

  private:
    int m_descriptor;
};

} // namespace vistrel
