#pragma once

#include <QImage>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vistrel {

// What the viewer and its decoder helper say to each other. Each message is one
// datagram of a SOCK_SEQPACKET socket: a fixed header, then bytes of its own, with open
// descriptors passed alongside. A request goes over the helper's control socket with
// the file it is about and a socket of its own for the answer: the viewer hanging up
// that socket is how a request is given up. Pixels and longer answers come back in a
// sealed memfd, which neither side can resize or (once sealed) write.
namespace decoderprotocol {

inline constexpr std::uint32_t magic = 0x56445231; // "VDR1"

enum class Kind : std::uint32_t {
    decode = 1,  // the first image at most `bound` in size, with its orientation
    inspect = 2, // the picture's facts and metadata, no pixels
    movieFacts = 3, // a movie's length, size and stream facts (a helper started to read movies)
    animate = 4,    // an animation's frames: the reply socket stays open for SessionCommands
    firstLook = 5,  // the small picture the file carries for a first look, as `decode` answers
};

// What the viewer asks over an animation's reply socket, one datagram each.
enum class SessionCommand : std::uint32_t {
    next = 1,   // the next frame: decoded (pixels, delay), ended, or failed (damage)
    rewind = 2, // back before the first frame: rewound, or failed
};

struct RequestHeader {
    std::uint32_t magic = decoderprotocol::magic;
    Kind kind = Kind::decode;
    std::int32_t boundWidth = 0; // 0: the whole picture
    std::int32_t boundHeight = 0;
    std::uint32_t pathBytes = 0; // the file's name follows the header
};

enum class Status : std::uint32_t {
    decoded = 1,   // pixels in the memfd
    inspected = 2, // a PictureInfo (see writeInfo) in the memfd
    failed = 3,    // the reason says why
    probed = 4,    // MovieFacts (see AnswerBytes) in the memfd
    animating = 5, // an animation is open; `plays` says how often it plays
    ended = 6,     // no frame follows
    rewound = 7,
    elsewhere = 8, // a picture for the helper started with the formats module (--formats)
};

struct ReplyHeader {
    std::uint32_t magic = decoderprotocol::magic;
    Status status = Status::failed;
    std::int32_t storedWidth = 0;
    std::int32_t storedHeight = 0;
    std::int32_t width = 0; // of the pixels sent
    std::int32_t height = 0;
    std::uint32_t bytesPerLine = 0;
    std::uint32_t pixelFormat = 0; // a QImage::Format of pixelFormats()
    std::int32_t orientation = 0;  // 1..8, 0 for none
    std::uint32_t flags = 0;
    std::int32_t plays = 0;            // animating: how often the animation plays, -1 for ever
    std::int32_t delayMilliseconds = 0; // a frame's delay as the file gives it
    std::uint64_t payloadBytes = 0; // of the memfd that is read
    char reason[240] = {};
};

inline constexpr std::uint32_t animatedFlag = 1; // the file holds more frames
inline constexpr std::uint32_t srgbFlag = 2;     // the pixels are tagged sRGB

// Longest file name a request carries.
inline constexpr std::size_t longestPath = 16 * 1024;

// The pixel formats a reply may carry; others are converted before sending.
bool isCarriedFormat(QImage::Format format);
// Whether a reply's picture could be what a decoder made: sizes in range, a carried
// format, rows that hold a line and exactly fill the memory sent.
bool believablePixels(const ReplyHeader& header);

} // namespace decoderprotocol

// One datagram with the descriptors it brought, which it owns.
struct Datagram {
    std::vector<std::byte> bytes;
    std::vector<int> descriptors;

    Datagram() = default;
    ~Datagram();
    Datagram(Datagram&& other) noexcept;
    Datagram& operator=(Datagram&&) = delete;
    Datagram(const Datagram&) = delete;
    Datagram& operator=(const Datagram&) = delete;

    // Hands over the descriptor at `index`; -1 when there is none.
    int takeDescriptor(std::size_t index);
};

// Sends `bytes` as one datagram with `descriptors`, never raising SIGPIPE; false when
// the other side is gone.
bool sendDatagram(int socket, std::span<const std::byte> bytes, std::span<const int> descriptors = {});
// The next datagram; nullopt at the other side's end, on a failure, or when the datagram
// or its descriptors were more than `longest` bytes or `mostDescriptors` (nothing of
// such a message is kept).
std::optional<Datagram> receiveDatagram(int socket, std::size_t longest, std::size_t mostDescriptors);

template <typename Header>
std::span<const std::byte> bytesOf(const Header& header) {
    return std::as_bytes(std::span<const Header, 1>(&header, 1));
}

// A memfd of `size` bytes filled by `fill`, then sealed against resizing and writing;
// -1 when memory cannot be had.
int sealedMemory(std::size_t size, const std::function<void(std::byte*)>& fill);
// A memfd of `size` bytes that can be sealed later, mapped for writing at `mapped`
// (populated); -1 when memory cannot be had.
int sealableMemory(std::size_t size, std::byte*& mapped);
// Seals what sealableMemory made, once no writable mapping of it is left; false when it
// cannot be sealed.
bool seal(int memory);

// A sealed memfd mapped for reading, unmapped with its last owner.
class SealedMapping {
  public:
    // The memfd `descriptor` (kept by the caller) when it is sealed against resizing and
    // writing and holds at least `size` bytes; nullptr otherwise (a helper gone wrong).
    static std::shared_ptr<const SealedMapping> map(int descriptor, std::size_t size);
    ~SealedMapping();
    SealedMapping(const SealedMapping&) = delete;
    SealedMapping& operator=(const SealedMapping&) = delete;

    const std::byte* data() const { return m_data; }
    std::size_t size() const { return m_size; }

  private:
    SealedMapping(const std::byte* data, std::size_t size) : m_data(data), m_size(size) {}
    const std::byte* m_data;
    std::size_t m_size;
};

} // namespace vistrel
