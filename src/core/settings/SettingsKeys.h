#pragma once

namespace vistrel::SettingsKeys {

inline constexpr const char* transparency = "Transparency";
inline constexpr const char* scaleX = "ScaleX";
inline constexpr const char* scaleY = "ScaleY";
inline constexpr const char* posX = "PosX";
inline constexpr const char* posY = "PosY";
inline constexpr const char* movieOnDesk = "MovieOnDesk";
inline constexpr const char* sleep = "Sleep";
inline constexpr const char* imagePath = "ImagePath";
inline constexpr const char* imageCompression = "ImageCompression";
// Our own list of recently shown items, newest first.
inline constexpr const char* recentDocuments = "RecentDocuments";

} // namespace vistrel::SettingsKeys

namespace vistrel {

// The settings keep placements in percent; the controller works with fractions.
inline float fractionOfPercent(float percent) {
    return static_cast<float>(static_cast<double>(percent) * 0.01);
}
inline float percentOfFraction(float fraction) {
    return fraction * 100.0f;
}

} // namespace vistrel
