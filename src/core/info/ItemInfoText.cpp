#include "core/info/ItemInfoText.h"

#include "core/info/DictionaryDescription.h"
#include "core/media/MovieService.h"
#include "core/media/PictureService.h"
#include "core/playlist/PathComponents.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace vistrel {

namespace {

// Keeps a time scale of 0 from dividing by zero.
constexpr double zeroScaleGuard = 1e-12;

// Two decimals with a point whatever the process locale, as "%.2f" prints in "C".
std::string withTwoDecimals(double value) {
    std::array<char, 400> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::fixed, 2);
    return std::string(digits.data(), result.ptr);
}

std::string picturePart(const std::string& path, const PictureInfo& info) {
    return " Name: " + paths::lastPathComponent(path) + "\n" + DictionaryDescription::of(info.properties);
}

std::string movieSummary(const MovieFacts& facts) {
    const double minutes = static_cast<double>(facts.duration) /
                           (static_cast<double>(facts.timeScale) * 60.0 + zeroScaleGuard);
    // 64-bit differences: bounds far apart must not overflow.
    const MovieBounds& bounds = facts.naturalBounds;
    const std::int64_t width = std::int64_t{bounds.right} - bounds.left;
    const std::int64_t height = std::int64_t{bounds.bottom} - bounds.top;
    return " Duration: " + withTwoDecimals(minutes) + " Minutes\n" +
           " Name: " + facts.displayName + "\n" +
           " Width: " + std::to_string(width) + " Pixels\n" +
           " Height " + std::to_string(height) + " Pixels\n";
}

std::string moviePart(const MovieFacts& facts) {
    std::string text = movieSummary(facts);
    text += "\n Raw Data: \n" + DictionaryDescription::of(facts.movieAttributes);
    for (std::size_t i = 0; i < facts.tracks.size(); ++i) {
        text += "\n\n Track Raw Data Nr. " + std::to_string(i) + ":\n";
        text += DictionaryDescription::of(facts.tracks[i].track);
        text += "\n Media Raw Data:\n";
        text += DictionaryDescription::of(facts.tracks[i].media);
    }
    return text;
}

} // namespace

std::optional<std::string> getInfoString(const std::string& path, PictureService& pictures, MovieService& movies) {
    std::optional<std::string> text;
    // A recognised picture type that cannot be read still names the file, with the
    // properties it gave (perhaps none).
    const PictureInfo picture = pictures.inspect(path);
    if (picture.status != PictureStatus::notAPicture)
        text = picturePart(path, picture);

    const std::optional<MovieFacts> movie = movies.movieFacts(path);
    if (!movie)
        return text;
    return (text ? *text + "\n\n" : std::string()) + moviePart(*movie);
}

} // namespace vistrel
