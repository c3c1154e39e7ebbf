#include "core/intake/HandOverMessage.h"

#include <algorithm>

namespace vistrel::handover {

namespace {

void appendNumber(std::string& bytes, std::size_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>((value >> shift) & 0xffu));
}

std::size_t numberAt(std::string_view bytes, std::size_t offset) {
    std::size_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

Reading refusal(std::string reason) {
    return Reading{Status::refused, {}, std::move(reason)};
}

// Walks the payload, whose size the header has already bounded.
class PayloadReader {
  public:
    explicit PayloadReader(std::string_view payload) : m_payload(payload) {}

    Reading read() {
        const auto count = number();
        if (!count)
            return refusal("the path count is missing");
        if (*count > maxPaths)
            return refusal("it names " + std::to_string(*count) + " paths, over the limit");
        Reading reading{Status::complete, {}, {}};
        for (std::size_t i = 0; i < *count; ++i) {
            auto path = nextPath(reading.reason);
            if (!path)
                return refusal("path " + std::to_string(i + 1) + ": " + reading.reason);
            reading.paths.push_back(std::move(*path));
        }
        if (m_offset != m_payload.size())
            return refusal("bytes follow the last path");
        return reading;
    }

  private:
    std::optional<std::size_t> number() {
        if (m_payload.size() - m_offset < 4)
            return std::nullopt;
        const std::size_t value = numberAt(m_payload, m_offset);
        m_offset += 4;
        return value;
    }

    std::optional<std::string> nextPath(std::string& reason) {
        const auto length = number();
        if (!length || *length > m_payload.size() - m_offset) {
            reason = "it is cut short";
            return std::nullopt;
        }
        const std::string_view path = m_payload.substr(m_offset, *length);
        m_offset += *length;
        if (const auto why = unacceptablePath(path)) {
            reason = *why;
            return std::nullopt;
        }
        return std::string(path);
    }

    std::string_view m_payload;
    std::size_t m_offset = 0;
};

} // namespace

std::optional<std::string> unacceptablePath(std::string_view path) {
    if (path.empty() || path.front() != '/')
        return "not an absolute path";
    if (path.size() > maxPathLength)
        return "longer than " + std::to_string(maxPathLength) + " bytes";
    if (path.find('\0') != std::string_view::npos)
        return "holds a NUL byte";
    return std::nullopt;
}

std::optional<std::string> encode(const std::vector<std::string>& paths) {
    if (paths.size() > maxPaths)
        return std::nullopt;
    std::string payload;
    appendNumber(payload, paths.size());
    for (const auto& path : paths) {
        if (unacceptablePath(path) || payload.size() + 4 + path.size() > maxMessageSize - headerSize)
            return std::nullopt;
        appendNumber(payload, path.size());
        payload += path;
    }
    std::string message(magic);
    appendNumber(message, payload.size());
    return message + payload;
}

Reading decode(std::string_view bytes) {
    if (bytes.substr(0, magic.size()) != magic.substr(0, std::min(bytes.size(), magic.size())))
        return refusal("it is not a hand-over message");
    if (bytes.size() < headerSize)
        return {};
    const std::size_t payloadSize = numberAt(bytes, magic.size());
    if (payloadSize > maxMessageSize - headerSize)
        return refusal("it declares " + std::to_string(payloadSize) + " bytes, over the limit");
    if (bytes.size() - headerSize < payloadSize)
        return {};
    if (bytes.size() - headerSize > payloadSize)
        return refusal("bytes follow the message");
    return PayloadReader(bytes.substr(headerSize)).read();
}

} // namespace vistrel::handover
