#pragma once

#include "media/Attributes.h"

#include <QString>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace vistrel::test {

// Movie and picture files generated once per run into a temporary folder: pictures
// with Qt and exiv2, movies with the ffmpeg command line.
class MediaFixtures {
  public:
    static const MediaFixtures& get();

    QString path(const QString& name) const;
    std::string file(const QString& name) const { return path(name).toStdString(); }
    // False when ffmpeg is missing or failed; movie tests skip then.
    bool haveMovies() const { return m_haveMovies; }

  private:
    MediaFixtures();
    void makePictures() const;
    bool makeMovies() const;
    void makeDamagedFiles() const;

    QString m_folder;
    bool m_haveMovies = false;
};

// Runs the Qt event loop until `condition` holds; false when `limit` passed first.
// Polls at least every few milliseconds, so conditions that no event announces
// (a movie's play position) are seen too.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(30));

// The value printed for `key`, when there is one.
std::optional<std::string> valueOf(const Attributes& attributes, const std::string& key);

} // namespace vistrel::test
