#pragma once

#include "core/media/Attributes.h"

#include <QString>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace vistrel::test {

// Movie and picture files made on first use into a temporary folder of the test
// process: pictures with Qt and exiv2, movies with the ffmpeg command line. Each file
// is made once, when a test first asks for its path, so a test run alone stays quick.
class MediaFixtures {
  public:
    static const MediaFixtures& get();

    // The path of the fixture `name`, made now when it is one this class knows how to
    // make; other names ("missing.jpg") give paths of files that do not exist.
    QString path(const QString& name) const;
    std::string file(const QString& name) const { return path(name).toStdString(); }
    // False when ffmpeg is not installed; movie tests skip then.
    bool canMakeMovies() const { return m_canMakeMovies; }

  private:
    MediaFixtures();
    void make(const QString& name, const QString& path) const;

    QString m_folder;
    bool m_canMakeMovies = false;
};

// Runs the Qt event loop until `condition` holds; false when `limit` passed first.
// Polls at least every few milliseconds, so conditions that no event announces
// (a movie's play position) are seen too.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(30));

// The value printed for `key`, when there is one.
std::optional<std::string> valueOf(const Attributes& attributes, const std::string& key);

} // namespace vistrel::test
