#include "movies/MovieProbe.h"

#include "codec/io/OwnedDescriptor.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
}

#include <QFileInfo>
#include <QLoggingCategory>
#include <QString>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

Q_LOGGING_CATEGORY(lcProbe, "vistrel.media.probe", QtCriticalMsg) // quiet unless enabled, as all

using Clock = std::chrono::steady_clock;

// Bounds on reading one file: enough for every common container to tell its streams,
// little enough that a huge or hostile file answers within a few seconds.
constexpr const char* probeBytes = "5000000";
constexpr const char* analysedMicroseconds = "3000000";
constexpr std::chrono::seconds readingLimit{8};

std::string errorText(int code) {
    std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
    av_strerror(code, text.data(), text.size());
    return text.data();
}

bool isRegularFile(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

// libavformat reads the file through an open descriptor, by offset: the decoder helper
// can open no file by name, and a descriptor shared with others keeps its position.
class DescriptorInput {
  public:
    explicit DescriptorInput(int descriptor) : m_descriptor(descriptor) {
        constexpr int bufferBytes = 1 << 16;
        auto* buffer = static_cast<unsigned char*>(av_malloc(bufferBytes));
        if (buffer != nullptr)
            m_context = avio_alloc_context(buffer, bufferBytes, 0, this, &DescriptorInput::read, nullptr,
                                           &DescriptorInput::seek);
        if (m_context == nullptr)
            av_free(buffer);
    }
    ~DescriptorInput() {
        if (m_context != nullptr)
            av_freep(&m_context->buffer);
        avio_context_free(&m_context);
    }
    DescriptorInput(const DescriptorInput&) = delete;
    DescriptorInput& operator=(const DescriptorInput&) = delete;

    AVIOContext* context() const { return m_context; }

  private:
    static int read(void* opaque, std::uint8_t* into, int size) {
        auto& input = *static_cast<DescriptorInput*>(opaque);
        const ssize_t count = ::pread(input.m_descriptor, into, std::size_t(size), input.m_position);
        if (count < 0)
            return AVERROR(errno);
        if (count == 0)
            return AVERROR_EOF;
        input.m_position += count;
        return int(count);
    }
    static std::int64_t seek(void* opaque, std::int64_t offset, int whence) {
        auto& input = *static_cast<DescriptorInput*>(opaque);
        struct stat status {};
        if (::fstat(input.m_descriptor, &status) != 0)
            return AVERROR(errno);
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE: return status.st_size;
        case SEEK_SET: break;
        case SEEK_CUR: offset += input.m_position; break;
        case SEEK_END: offset += status.st_size; break;
        default: return AVERROR(EINVAL);
        }
        if (offset < 0)
            return AVERROR(EINVAL);
        input.m_position = offset;
        return offset;
    }

    int m_descriptor;
    std::int64_t m_position = 0;
    AVIOContext* m_context = nullptr;
};

// libavformat's demuxers of single pictures: a photo is no movie.
bool isStillPictureFormat(const AVInputFormat& format) {
    const std::string_view name = format.name;
    constexpr std::string_view pipeSuffix = "_pipe";
    return name == "image2" || name == "image2pipe" || (name.size() > pipeSuffix.size() && name.ends_with(pipeSuffix));
}

// A stream whose codec is known and whose basic parameters were found; random bytes
// can pass for the start of an audio stream, but not for one with channels.
bool isPlayable(const AVCodecParameters& codec) {
    if (codec.codec_id == AV_CODEC_ID_NONE)
        return false;
    if (codec.codec_type == AVMEDIA_TYPE_VIDEO)
        return codec.width > 0 && codec.height > 0;
    if (codec.codec_type == AVMEDIA_TYPE_AUDIO)
        return codec.sample_rate > 0 && codec.ch_layout.nb_channels > 0;
    return false;
}

bool hasSoundOrPicture(const AVFormatContext& format) {
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        if (isPlayable(*format.streams[i]->codecpar))
            return true;
    }
    return false;
}

// A movie file opened for reading its headers; closed with the object. Holds the
// deadline the reading is interrupted at, for as long as the reader may ask for it.
class OpenedMovieFile {
  public:
    // The file `descriptor`, which stays the caller's, named `path` in the log.
    OpenedMovieFile(const std::string& path, int descriptor)
        : m_deadline(Clock::now() + readingLimit), m_input(descriptor) {
        if (!isRegularFile(descriptor)) {
            qCDebug(lcProbe) << "not a regular file:" << QString::fromStdString(path);
            return;
        }
        if (!open(path) || !isMovie())
            avformat_close_input(&m_context);
    }
    ~OpenedMovieFile() { avformat_close_input(&m_context); }
    OpenedMovieFile(const OpenedMovieFile&) = delete;
    OpenedMovieFile& operator=(const OpenedMovieFile&) = delete;

    // nullptr when the file is no movie.
    const AVFormatContext* format() const { return m_context; }

  private:
    static int interrupted(void* deadline) {
        return Clock::now() > *static_cast<const Clock::time_point*>(deadline) ? 1 : 0;
    }

    bool open(const std::string& path) {
        if (m_input.context() == nullptr)
            return false;
        m_context = avformat_alloc_context();
        if (m_context == nullptr)
            return false;
        m_context->pb = m_input.context();
        m_context->flags |= AVFMT_FLAG_CUSTOM_IO;
        m_context->interrupt_callback = {&OpenedMovieFile::interrupted, &m_deadline};
        AVDictionary* options = nullptr;
        av_dict_set(&options, "probesize", probeBytes, 0);
        av_dict_set(&options, "analyzeduration", analysedMicroseconds, 0);
        // Play lists and references inside a file must not reach the network.
        av_dict_set(&options, "protocol_whitelist", "file", 0);
        int result = avformat_open_input(&m_context, nullptr, nullptr, &options);
        av_dict_free(&options);
        if (result >= 0)
            result = avformat_find_stream_info(m_context, nullptr);
        if (result < 0)
            qCDebug(lcProbe) << "cannot read" << QString::fromStdString(path) << errorText(result).c_str();
        return result >= 0;
    }

    bool isMovie() const {
        return !isStillPictureFormat(*m_context->iformat) && hasSoundOrPicture(*m_context);
    }

    Clock::time_point m_deadline;
    DescriptorInput m_input; // outlives the context that reads through it
    AVFormatContext* m_context = nullptr;
};

std::string number(double value) {
    return QString::number(value, 'f', 3).toStdString();
}

std::string rational(AVRational value) {
    return std::to_string(value.num) + "/" + std::to_string(value.den);
}

void addTags(const AVDictionary* tags, Attributes& out) {
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(tags, "", entry, AV_DICT_IGNORE_SUFFIX)) != nullptr)
        out.emplace_back(std::string("Tag ") + entry->key, entry->value);
}

void addIfKnown(Attributes& out, const char* key, const char* value) {
    if (value != nullptr)
        out.emplace_back(key, value);
}

std::optional<double> containerSeconds(const AVFormatContext& format) {
    if (format.duration == AV_NOPTS_VALUE || format.duration < 0)
        return std::nullopt;
    return static_cast<double>(format.duration) / AV_TIME_BASE;
}

std::optional<double> ownSeconds(const AVStream& stream) {
    if (stream.duration == AV_NOPTS_VALUE || stream.duration < 0 || stream.time_base.den == 0)
        return std::nullopt;
    return static_cast<double>(stream.duration) * av_q2d(stream.time_base);
}

// Seconds of a stream: its own duration, or the container's where the stream has
// none (Matroska keeps the length only on the container).
std::optional<double> streamSeconds(const AVFormatContext& format, const AVStream& stream) {
    if (const auto seconds = ownSeconds(stream))
        return seconds;
    return containerSeconds(format);
}

// The container's length, else the longest stream's.
std::optional<double> movieSeconds(const AVFormatContext& format) {
    if (const auto seconds = containerSeconds(format))
        return seconds;
    std::optional<double> longest;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        if (const auto seconds = ownSeconds(*format.streams[i]))
            longest = std::max(longest.value_or(0.0), *seconds);
    }
    return longest;
}

Attributes containerFacts(const AVFormatContext& format) {
    Attributes out;
    addIfKnown(out, "Format", format.iformat->name);
    addIfKnown(out, "FormatName", format.iformat->long_name);
    if (const auto seconds = containerSeconds(format))
        out.emplace_back("Duration", number(*seconds));
    if (format.start_time != AV_NOPTS_VALUE)
        out.emplace_back("StartTime", number(static_cast<double>(format.start_time) / AV_TIME_BASE));
    if (format.bit_rate > 0)
        out.emplace_back("BitRate", std::to_string(format.bit_rate));
    out.emplace_back("TrackCount", std::to_string(format.nb_streams));
    addTags(format.metadata, out);
    return out;
}

bool isCoverArt(const AVStream& stream) {
    return (stream.disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
}

Attributes trackFacts(const AVFormatContext& format, const AVStream& stream) {
    Attributes out;
    out.emplace_back("TrackID", std::to_string(stream.index));
    addIfKnown(out, "Type", av_get_media_type_string(stream.codecpar->codec_type));
    out.emplace_back("Enabled", (stream.disposition & AV_DISPOSITION_DEFAULT) != 0 ? "1" : "0");
    if (isCoverArt(stream))
        out.emplace_back("AttachedPicture", "1");
    if (const auto seconds = streamSeconds(format, stream))
        out.emplace_back("Duration", number(*seconds));
    out.emplace_back("TimeBase", rational(stream.time_base));
    if (stream.nb_frames > 0)
        out.emplace_back("FrameCount", std::to_string(stream.nb_frames));
    addTags(stream.metadata, out);
    return out;
}

// Degrees the picture is turned by when shown, from the stream's display matrix.
std::optional<double> rotationDegrees(const AVStream& stream) {
    const auto* matrix =
        reinterpret_cast<const std::int32_t*>(av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (matrix == nullptr)
        return std::nullopt;
    const double degrees = av_display_rotation_get(matrix);
    return std::isfinite(degrees) ? std::optional(degrees) : std::nullopt;
}

AVRational frameRate(const AVStream& stream) {
    return stream.avg_frame_rate.num != 0 && stream.avg_frame_rate.den != 0 ? stream.avg_frame_rate
                                                                            : stream.r_frame_rate;
}

void addVideoFacts(const AVStream& stream, Attributes& out) {
    const AVCodecParameters& codec = *stream.codecpar;
    out.emplace_back("Width", std::to_string(codec.width));
    out.emplace_back("Height", std::to_string(codec.height));
    addIfKnown(out, "PixelFormat", av_get_pix_fmt_name(static_cast<AVPixelFormat>(codec.format)));
    if (codec.sample_aspect_ratio.num > 0)
        out.emplace_back("SampleAspectRatio", rational(codec.sample_aspect_ratio));
    const AVRational rate = frameRate(stream);
    if (rate.num != 0 && rate.den != 0)
        out.emplace_back("FrameRate", number(av_q2d(rate)));
    if (const auto degrees = rotationDegrees(stream))
        out.emplace_back("Rotation", number(*degrees));
}

void addAudioFacts(const AVCodecParameters& codec, Attributes& out) {
    out.emplace_back("SampleRate", std::to_string(codec.sample_rate));
    out.emplace_back("Channels", std::to_string(codec.ch_layout.nb_channels));
    std::array<char, 128> layout{};
    if (av_channel_layout_describe(&codec.ch_layout, layout.data(), layout.size()) > 0)
        out.emplace_back("ChannelLayout", layout.data());
    addIfKnown(out, "SampleFormat", av_get_sample_fmt_name(static_cast<AVSampleFormat>(codec.format)));
}

Attributes mediaFacts(const AVStream& stream) {
    const AVCodecParameters& codec = *stream.codecpar;
    Attributes out;
    out.emplace_back("Codec", avcodec_get_name(codec.codec_id));
    if (const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec.codec_id))
        addIfKnown(out, "CodecName", descriptor->long_name);
    addIfKnown(out, "Profile", avcodec_profile_name(codec.codec_id, codec.profile));
    if (codec.bit_rate > 0)
        out.emplace_back("BitRate", std::to_string(codec.bit_rate));
    if (stream.time_base.num == 1)
        out.emplace_back("TimeScale", std::to_string(stream.time_base.den));
    if (codec.codec_type == AVMEDIA_TYPE_VIDEO)
        addVideoFacts(stream, out);
    else if (codec.codec_type == AVMEDIA_TYPE_AUDIO)
        addAudioFacts(codec, out);
    return out;
}

MovieProbe::Facts factsOf(const AVFormatContext& format) {
    MovieProbe::Facts facts;
    facts.movie = containerFacts(format);
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVStream& stream = *format.streams[i];
        facts.tracks.push_back({trackFacts(format, stream), mediaFacts(stream)});
    }
    return facts;
}

std::int32_t clampedTo32Bits(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

// Milliseconds, or coarser units where a very long movie would not fit in 32 bits.
void setLength(double seconds, MovieFacts& facts) {
    constexpr double largest = std::numeric_limits<std::int32_t>::max();
    std::int32_t scale = 1000;
    while (scale > 1 && seconds * scale > largest)
        scale /= 10;
    facts.timeScale = scale;
    facts.duration = clampedTo32Bits(std::llround(std::min(seconds * scale, largest)));
}

const AVStream* firstPictureStream(const AVFormatContext& format) {
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVStream& stream = *format.streams[i];
        if (stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !isCoverArt(stream))
            return &stream;
    }
    return nullptr;
}

// The size the picture is shown at: non-square pixels widen (or heighten) it, a
// quarter turn swaps its sides.
MovieBounds naturalBoundsOf(const AVFormatContext& format) {
    const AVStream* stream = firstPictureStream(format);
    if (stream == nullptr)
        return {};
    const AVCodecParameters& codec = *stream->codecpar;
    std::int64_t width = codec.width;
    std::int64_t height = codec.height;
    const AVRational aspect = codec.sample_aspect_ratio;
    if (aspect.num > aspect.den && aspect.den > 0)
        width = width * aspect.num / aspect.den;
    else if (aspect.den > aspect.num && aspect.num > 0)
        height = height * aspect.den / aspect.num;
    if (const auto degrees = rotationDegrees(*stream); degrees && std::lround(std::abs(*degrees)) % 180 == 90)
        std::swap(width, height);
    return {0, 0, clampedTo32Bits(height), clampedTo32Bits(width)};
}

std::string displayNameOf(const AVFormatContext& format, const std::string& path) {
    const AVDictionaryEntry* title = av_dict_get(format.metadata, "title", nullptr, 0);
    if (title != nullptr && title->value[0] != '\0')
        return title->value;
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

} // namespace

std::optional<MovieProbe::Facts> MovieProbe::probe(const std::string& path) {
    const OwnedDescriptor descriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (descriptor.get() < 0)
        return std::nullopt;
    const OpenedMovieFile file(path, descriptor.get());
    if (file.format() == nullptr)
        return std::nullopt;
    return factsOf(*file.format());
}

std::optional<MovieFacts> MovieProbe::movieFacts(const std::string& path, int descriptor) {
    const OpenedMovieFile file(path, descriptor);
    if (file.format() == nullptr)
        return std::nullopt;
    const AVFormatContext& format = *file.format();
    MovieFacts facts;
    setLength(movieSeconds(format).value_or(0.0), facts);
    facts.naturalBounds = naturalBoundsOf(format);
    facts.displayName = displayNameOf(format, path);
    Facts probed = factsOf(format);
    const MovieBounds& bounds = facts.naturalBounds;
    facts.movieAttributes = {
        {"DisplayName", facts.displayName},
        {"NaturalSize", std::to_string(bounds.right - bounds.left) + " x " + std::to_string(bounds.bottom - bounds.top)},
    };
    facts.movieAttributes.insert(facts.movieAttributes.end(), probed.movie.begin(), probed.movie.end());
    facts.tracks = std::move(probed.tracks);
    return facts;
}

} // namespace vistrel
