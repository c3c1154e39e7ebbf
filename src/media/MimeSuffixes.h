#pragma once

#include <QList>
#include <QMimeType>
#include <string>
#include <vector>

namespace vistrel {

// File extensions of MIME types, as the extension lists hold them.
class MimeSuffixes {
  public:
    // Every suffix of `types`, lower-cased, each once, in the order first met; glob
    // patterns among them are left out.
    static std::vector<std::string> of(const QList<QMimeType>& types);
};

} // namespace vistrel
