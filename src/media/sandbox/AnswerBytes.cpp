#include "media/sandbox/AnswerBytes.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace vistrel {

namespace {

// More properties than any file's metadata prints; a count beyond is damage.
constexpr std::uint32_t mostProperties = 1u << 20;

class Writer {
  public:
    template <typename Value>
    void raw(const Value& value) {
        const auto* first = reinterpret_cast<const std::byte*>(&value);
        m_bytes.insert(m_bytes.end(), first, first + sizeof(Value));
    }
    template <typename Value>
    void optional(const std::optional<Value>& value) {
        raw(std::uint8_t(value.has_value()));
        if (value)
            raw(*value);
    }
    void text(const std::string& value) {
        raw(std::uint32_t(value.size()));
        const auto* first = reinterpret_cast<const std::byte*>(value.data());
        m_bytes.insert(m_bytes.end(), first, first + value.size());
    }
    void optionalText(const std::optional<std::string>& value) {
        raw(std::uint8_t(value.has_value()));
        if (value)
            text(*value);
    }
    void attributes(const Attributes& values) {
        raw(std::uint32_t(values.size()));
        for (const auto& [key, value] : values) {
            text(key);
            text(value);
        }
    }
    std::vector<std::byte> take() { return std::move(m_bytes); }

  private:
    std::vector<std::byte> m_bytes;
};

// Every read checks what is left: the bytes come from a process that may have gone wrong.
class Reader {
  public:
    explicit Reader(std::span<const std::byte> bytes) : m_bytes(bytes) {}

    template <typename Value>
    bool raw(Value& value) {
        if (m_bytes.size() < sizeof(Value))
            return false;
        std::memcpy(&value, m_bytes.data(), sizeof(Value));
        m_bytes = m_bytes.subspan(sizeof(Value));
        return true;
    }
    template <typename Value>
    bool optional(std::optional<Value>& value) {
        std::uint8_t present = 0;
        if (!raw(present) || present > 1)
            return false;
        if (present == 0)
            return true;
        Value read{};
        if (!raw(read))
            return false;
        value = read;
        return true;
    }
    bool text(std::string& value) {
        std::uint32_t length = 0;
        if (!raw(length) || m_bytes.size() < length)
            return false;
        value.assign(reinterpret_cast<const char*>(m_bytes.data()), length);
        m_bytes = m_bytes.subspan(length);
        return true;
    }
    bool optionalText(std::optional<std::string>& value) {
        std::uint8_t present = 0;
        if (!raw(present) || present > 1)
            return false;
        if (present == 0)
            return true;
        return text(value.emplace());
    }
    bool attributes(Attributes& values) {
        std::uint32_t count = 0;
        if (!raw(count) || count > mostProperties)
            return false;
        for (std::uint32_t index = 0; index < count; ++index) {
            std::string key;
            std::string value;
            if (!text(key) || !text(value))
                return false;
            values.emplace_back(std::move(key), std::move(value));
        }
        return true;
    }
    bool atEnd() const { return m_bytes.empty(); }

  private:
    std::span<const std::byte> m_bytes;
};

} // namespace

std::vector<std::byte> bytesOfInfo(const PictureInfo& info) {
    Writer out;
    out.raw(std::uint8_t(info.status));
    out.optional(info.pixelWidth);
    out.optional(info.pixelHeight);
    out.optional(info.orientation);
    out.optional(info.depth);
    out.optionalText(info.colorModel);
    out.optional(info.dpiWidth);
    out.optional(info.dpiHeight);
    out.attributes(info.properties);
    return out.take();
}

std::optional<PictureInfo> infoOfBytes(std::span<const std::byte> bytes) {
    Reader in(bytes);
    PictureInfo info;
    std::uint8_t status = 0;
    if (!in.raw(status) || status > std::uint8_t(PictureStatus::unreadable) || !in.optional(info.pixelWidth) ||
        !in.optional(info.pixelHeight) || !in.optional(info.orientation) || !in.optional(info.depth) ||
        !in.optionalText(info.colorModel) || !in.optional(info.dpiWidth) || !in.optional(info.dpiHeight) ||
        !in.attributes(info.properties) || !in.atEnd())
        return std::nullopt;
    info.status = PictureStatus(status);
    return info;
}

std::vector<std::byte> bytesOfMovieFacts(const MovieFacts& facts) {
    Writer out;
    out.raw(facts.duration);
    out.raw(facts.timeScale);
    out.raw(facts.naturalBounds);
    out.text(facts.displayName);
    out.attributes(facts.movieAttributes);
    out.raw(std::uint32_t(facts.tracks.size()));
    for (const TrackAttributes& track : facts.tracks) {
        out.attributes(track.track);
        out.attributes(track.media);
    }
    return out.take();
}

std::optional<MovieFacts> movieFactsOfBytes(std::span<const std::byte> bytes) {
    Reader in(bytes);
    MovieFacts facts;
    std::uint32_t tracks = 0;
    if (!in.raw(facts.duration) || !in.raw(facts.timeScale) || facts.timeScale <= 0 ||
        !in.raw(facts.naturalBounds) || !in.text(facts.displayName) || !in.attributes(facts.movieAttributes) ||
        !in.raw(tracks) || tracks > mostProperties)
        return std::nullopt;
    for (std::uint32_t index = 0; index < tracks; ++index) {
        TrackAttributes& track = facts.tracks.emplace_back();
        if (!in.attributes(track.track) || !in.attributes(track.media))
            return std::nullopt;
    }
    if (!in.atEnd())
        return std::nullopt;
    return facts;
}

} // namespace vistrel
