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
