#pragma once

#include "core/geometry/Geometry.h"
#include "core/intake/FileStamp.h"
#include "core/media/PictureService.h"

#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string>

namespace vistrel {

class Executor;

// A decode begun before anyone asks for it: the program's first picture decodes on the
// executor while the windows are still being built, instead of after them.
// The first decode that asks for the same path at the same size takes the result,
// provided the file is still the one that was decoded; every other decode goes on as
// usual. Only a regular file is opened, so a FIFO cannot hold the thread. Thread-safe.
class DecodeHeadStart {
  public:
    using Decode = std::function<DecodedPicture(const std::string& path, Size neededSize)>;
    // Settles the size on the head start's worker, where it may wait for it;
    // nothing means there is no size to decode for, and nothing is decoded.
    using FindSize = std::function<std::optional<Size>()>;

    DecodeHeadStart() = default;
    // Waits for a decode still under way.
    ~DecodeHeadStart();
    DecodeHeadStart(const DecodeHeadStart&) = delete;
    DecodeHeadStart& operator=(const DecodeHeadStart&) = delete;

    // Starts decoding `path` with `decode` on `executor`, which must outlive this;
    // replaces a head start nobody took.
    void start(const std::string& path, Size neededSize, Decode decode, Executor& executor);
    // The same, for the size `findSize` settles on first.
    void start(const std::string& path, FindSize findSize, Decode decode, Executor& executor);

    // The head start's picture when it is for `path` at `neededSize` and the file is
    // unchanged, once it is done (this waits for it: call it off the GUI thread). A head
    // start for this path and size is used up either way; one for another is left alone.
    std::optional<DecodedPicture> take(const std::string& path, std::optional<Size> neededSize);

    // The same without waiting: the picture and the stamp its file had before decoding,
    // when the head start for `path` at `neededSize` is done and gave a picture. Not
    // compared with the file again (that would be a file access on the asking thread):
    // it was read moments ago. One that is not done yet is left for take().
    std::optional<PictureDecodedAhead> takeIfDone(const std::string& path, Size neededSize);

  private:
    using Outcome = PictureDecodedAhead; // its stamp taken before decoding
    static Outcome decodeRegularFile(const std::string& path, std::optional<Size> neededSize,
                                     const Decode& decode);
    // The outcome of the head start `generation` for `path`, when it is still the current one.
    std::optional<std::future<Outcome>> takeOutcome(const std::string& path, std::uint64_t generation);

    std::mutex m_mutex;
    std::string m_path;
    std::uint64_t m_generation = 0;
    std::shared_future<std::optional<Size>> m_neededSize; // settled before the decode begins
    std::future<Outcome> m_outcome;
};

} // namespace vistrel
