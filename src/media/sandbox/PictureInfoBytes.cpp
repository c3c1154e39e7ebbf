#include "media/sandbox/PictureInfoBytes.h"

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
    out.raw(std::uint32_t(info.properties.size()));
    for (const auto& [key, value] : info.properties) {
        out.text(key);
        out.text(value);
    }
    return out.take();
}

std::optional<PictureInfo> infoOfBytes(std::span<const std::byte> bytes) {
    Reader in(bytes);
    PictureInfo info;
    std::uint8_t status = 0;
    std::uint32_t count = 0;
    if (!in.raw(status) || status > std::uint8_t(PictureStatus::unreadable) || !in.optional(info.pixelWidth) ||
        !in.optional(info.pixelHeight) || !in.optional(info.orientation) || !in.optional(info.depth) ||
        !in.optionalText(info.colorModel) || !in.optional(info.dpiWidth) || !in.optional(info.dpiHeight) ||
        !in.raw(count) || count > mostProperties)
        return std::nullopt;
    info.status = PictureStatus(status);
    for (std::uint32_t index = 0; index < count; ++index) {
        std::string key;
        std::string value;
        if (!in.text(key) || !in.text(value))
            return std::nullopt;
        info.properties.emplace_back(std::move(key), std::move(value));
    }
    if (!in.atEnd())
        return std::nullopt;
    return info;
}

} // namespace vistrel
