#include "media/MovieProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
}

#include <QString>
#include <array>
#include <memory>

namespace vistrel {

namespace {

struct FormatContextCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using FormatContext = std::unique_ptr<AVFormatContext, FormatContextCloser>;

FormatContext openFormat(const std::string& path) {
    AVFormatContext* context = nullptr;
    if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) < 0)
        return nullptr;
    FormatContext owned(context);
    if (avformat_find_stream_info(context, nullptr) < 0)
        return nullptr;
    return owned;
}

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

// Seconds of a stream: its own duration, or the container's where the stream has
// none (Matroska keeps the length only on the container).
std::optional<double> streamSeconds(const AVFormatContext& format, const AVStream& stream) {
    if (stream.duration != AV_NOPTS_VALUE && stream.time_base.den != 0)
        return static_cast<double>(stream.duration) * av_q2d(stream.time_base);
    if (format.duration != AV_NOPTS_VALUE)
        return static_cast<double>(format.duration) / AV_TIME_BASE;
    return std::nullopt;
}

Attributes movieFacts(const AVFormatContext& format) {
    Attributes out;
    addIfKnown(out, "Format", format.iformat->name);
    addIfKnown(out, "FormatName", format.iformat->long_name);
    if (format.duration != AV_NOPTS_VALUE) {
        out.emplace_back("Duration", number(static_cast<double>(format.duration) / AV_TIME_BASE));
        out.emplace_back("TimeScale", std::to_string(AV_TIME_BASE));
    }
    if (format.start_time != AV_NOPTS_VALUE)
        out.emplace_back("StartTime", number(static_cast<double>(format.start_time) / AV_TIME_BASE));
    if (format.bit_rate > 0)
        out.emplace_back("BitRate", std::to_string(format.bit_rate));
    out.emplace_back("TrackCount", std::to_string(format.nb_streams));
    addTags(format.metadata, out);
    return out;
}

Attributes trackFacts(const AVFormatContext& format, const AVStream& stream) {
    Attributes out;
    out.emplace_back("TrackID", std::to_string(stream.index));
    addIfKnown(out, "Type", av_get_media_type_string(stream.codecpar->codec_type));
    out.emplace_back("Enabled", (stream.disposition & AV_DISPOSITION_DEFAULT) != 0 ? "1" : "0");
    if (const auto seconds = streamSeconds(format, stream))
        out.emplace_back("Duration", number(*seconds));
    out.emplace_back("TimeBase", rational(stream.time_base));
    if (stream.nb_frames > 0)
        out.emplace_back("FrameCount", std::to_string(stream.nb_frames));
    addTags(stream.metadata, out);
    return out;
}

void addVideoFacts(const AVStream& stream, Attributes& out) {
    const AVCodecParameters& codec = *stream.codecpar;
    out.emplace_back("Width", std::to_string(codec.width));
    out.emplace_back("Height", std::to_string(codec.height));
    addIfKnown(out, "PixelFormat", av_get_pix_fmt_name(static_cast<AVPixelFormat>(codec.format)));
    if (codec.sample_aspect_ratio.num > 0)
        out.emplace_back("SampleAspectRatio", rational(codec.sample_aspect_ratio));
    if (stream.avg_frame_rate.den != 0 && stream.avg_frame_rate.num != 0)
        out.emplace_back("FrameRate", number(av_q2d(stream.avg_frame_rate)));
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

} // namespace

std::optional<MovieProbe::Facts> MovieProbe::probe(const std::string& path) {
    const FormatContext format = openFormat(path);
    if (!format)
        return std::nullopt;
    Facts facts;
    facts.movie = movieFacts(*format);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream& stream = *format->streams[i];
        facts.tracks.push_back({trackFacts(*format, stream), mediaFacts(stream)});
    }
    return facts;
}

} // namespace vistrel
