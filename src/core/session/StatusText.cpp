#include "core/session/StatusText.h"

#include "core/session/PlaybackArithmetic.h"
#include "core/media/Movie.h"

namespace vistrel::statusText {

namespace {

std::string listPosition(int number, int count) {
    return "\n\n File Nr. " + std::to_string(number) + " from " + std::to_string(count);
}

std::string sizeText(const PictureInfo& info) {
    if (!info.pixelWidth || !info.pixelHeight)
        return {};
    return std::to_string(*info.pixelWidth) + " x " + std::to_string(*info.pixelHeight);
}

} // namespace

std::string movieSummary(const Movie& movie, int number, int count) {
    const MovieTime duration = movie.duration();
    // The summary works on 32-bit times: values beyond that range wrap.
    const auto length = static_cast<std::int32_t>(duration.value);
    const auto position =
        static_cast<std::int32_t>(playback::valueInScale(movie.currentTime(), duration.scale));

    const int positionPercent = playback::truncatedPercent(playback::positionPercent(position, length));
    const int ratePercent = playback::truncatedPercent(static_cast<double>(movie.rate()) * 100.0);
    const int volumePercent = playback::truncatedPercent(playback::volumePercent(movie.volume()));

    return "Name: " + movie.displayName() + " \nPosition: " + std::to_string(positionPercent) +
           " % \nRate: " + std::to_string(ratePercent) + " % \nVolume: " + std::to_string(volumePercent) +
           " %" + listPosition(number, count);
}

std::string pictureSummary(const std::string& name, const PictureInfo& info, int number, int count) {
    return "Name: " + name + " \nSize: " + sizeText(info) + " \nColorModel: " + info.colorModel.value_or("") +
           listPosition(number, count);
}

} // namespace vistrel::statusText
