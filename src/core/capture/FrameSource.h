#pragma once

#include <memory>
#include <optional>
#include <string>

namespace vistrel {

class Movie;
class Picture;

// What is on screen when a frame is asked for, and where and how it is to be written.
struct FrameSource {
    std::string imagePath;             // the folder frames go to; empty when none is chosen
    float imageCompression = 0.2f;     // JPEG quality, 0..1 (1 best)
    std::optional<std::string> itemPath; // the current entry's file, which names the frame
    std::shared_ptr<Movie> movie;      // the movie shown, or nullptr
    std::shared_ptr<Picture> picture;  // the picture the view holds while no movie is shown
    int orientation = 1;               // the turn that picture is shown with (Exif 1..8)
};

} // namespace vistrel
