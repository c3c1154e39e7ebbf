#include "media/MimeSuffixes.h"

#include <QSet>

namespace vistrel {

std::vector<std::string> MimeSuffixes::of(const QList<QMimeType>& types) {
    std::vector<std::string> suffixes;
    QSet<QString> seen;
    for (const QMimeType& type : types) {
        for (const QString& suffix : type.suffixes()) {
            // A pattern ("anim[1-9j]") names no one extension.
            if (suffix.contains(QLatin1Char('[')) || suffix.contains(QLatin1Char('*')) ||
                suffix.contains(QLatin1Char('?')))
                continue;
            const QString lower = suffix.toLower();
            if (!seen.contains(lower)) {
                seen.insert(lower);
                suffixes.push_back(lower.toStdString());
            }
        }
    }
    return suffixes;
}

} // namespace vistrel
