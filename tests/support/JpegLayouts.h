#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace vistrel::test {

// How a JPEG file samples its components, as libjpeg writes it.
struct JpegLayout {
    const char* name;
    int components; // 1: gray
    int horizontal; // luma sampling factors; chroma is 1 x 1
    int vertical;
    unsigned restartInterval = 0;
};

inline void PrintTo(const JpegLayout& layout, std::ostream* out) {
    *out << layout.name;
}

// Every layout the split decoder handles, as test parameters named after them.
inline auto everySplitLayout() {
    return ::testing::Values(JpegLayout{"gray", 1, 1, 1}, JpegLayout{"colour444", 3, 1, 1},
                             JpegLayout{"colour422", 3, 2, 1}, JpegLayout{"colour420", 3, 2, 2},
                             JpegLayout{"colour411", 3, 4, 1});
}
inline std::string layoutName(const ::testing::TestParamInfo<JpegLayout>& each) {
    return each.param.name;
}

// Rows of gray or red-green-blue bytes (as `layout` has one or three components),
// `stride` bytes apart, written by libjpeg in `layout` at quality 90.
inline std::string encodedJpeg(const std::uint8_t* pixels, int width, int height, std::size_t stride,
                               const JpegLayout& layout) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = layout.components;
    info.in_color_space = layout.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    if (layout.components == 3) {
        info.comp_info[0].h_samp_factor = layout.horizontal;
        info.comp_info[0].v_samp_factor = layout.vertical;
    }
    info.restart_interval = layout.restartInterval;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPROW>(pixels + std::size_t(info.next_scanline) * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string file(reinterpret_cast<const char*>(bytes), size);
    std::free(bytes);
    return file;
}

} // namespace vistrel::test
