#include "codec/jpeg/JpegHuffmanTable.h"

namespace vistrel {

std::optional<JpegHuffmanTable> JpegHuffmanTable::build(std::span<const std::uint8_t, 17> counts,
                                                        std::span<const std::uint8_t> symbols, int largestSymbol) {
    JpegHuffmanTable table;
    std::uint32_t code = 0;
    std::size_t index = 0;
    for (int length = 1; length <= longestCode; ++length) {
        const std::uint32_t count = counts[std::size_t(length)];
        if (index + count > symbols.size() || index + count > table.m_symbols.size() ||
            code + count > (std::uint32_t(1) << length))
            return std::nullopt;
        table.m_symbolOffset[std::size_t(length)] = std::int32_t(index) - std::int32_t(code);
        for (std::uint32_t each = 0; each < count; ++each, ++code, ++index) {
            if (symbols[index] > largestSymbol)
                return std::nullopt;
            table.m_symbols[index] = symbols[index];
            if (length > lookaheadBits)
                continue;
            // Every look-ahead the code begins gives its symbol.
            const int free = lookaheadBits - length;
            for (std::uint32_t tail = 0; tail < (std::uint32_t(1) << free); ++tail)
                table.m_lookahead[(code << free) | tail] = {std::uint8_t(length), symbols[index]};
        }
        table.m_codesEnd[std::size_t(length)] = count == 0 ? 0 : code;
        code <<= 1;
    }
    for (std::size_t bits = 0; bits < table.m_lookahead.size(); ++bits)
        if (table.m_lookahead[bits].length != 0) {
            table.m_steps[bits] = stepOf(table.m_lookahead[bits]);
            table.m_coefficients[bits] = coefficientOf(table.m_lookahead[bits], std::uint32_t(bits));
        }
    return table;
}

JpegHuffmanTable::Coefficient JpegHuffmanTable::coefficientOf(Entry entry, std::uint32_t bits) {
    const int size = entry.symbol & 15;
    const int length = entry.length + size;
    if (size == 0 || length > lookaheadBits)
        return {};
    const std::uint32_t value = (bits >> (lookaheadBits - length)) & ((std::uint32_t(1) << size) - 1);
    return {std::int16_t(extendedValue(value, size)), std::uint8_t(length), std::uint8_t(entry.symbol >> 4)};
}

JpegHuffmanTable::Step JpegHuffmanTable::stepOf(Entry entry) {
    constexpr int sixteenZeros = 15;
    constexpr std::uint8_t blockEnd = 64;
    const int run = entry.symbol >> 4;
    const int size = entry.symbol & 15;
    const auto bits = std::uint8_t(entry.length + size);
    if (size == 0) // the end of the block, or sixteen zeros; the reference decoder ends
                   // the block on any other run without a value, too
        return {bits, run == sixteenZeros ? std::uint8_t(16) : blockEnd};
    return {bits, std::uint8_t(run + 1)};
}

JpegHuffmanTable::Entry JpegHuffmanTable::decodeLong(std::uint64_t bits) const {
    for (int length = lookaheadBits + 1; length <= longestCode; ++length) {
        const auto code = std::uint32_t(bits >> (64 - length));
        if (code < m_codesEnd[std::size_t(length)]) {
            const std::int32_t index = std::int32_t(code) + m_symbolOffset[std::size_t(length)];
            return {std::uint8_t(length), m_symbols[std::size_t(index)]};
        }
    }
    return {std::uint8_t(badCodeLength), 0};
}

} // namespace vistrel
