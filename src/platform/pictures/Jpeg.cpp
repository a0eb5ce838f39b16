// JPEG files through libjpeg. Errors leave the library by longjmp back into
// DecodeJpeg; its messages are never printed.
//
// Where libjpeg would carry on over missing or damaged image data, filling
// the rest of the image with grey (a file cut short, a scan whose data ends
// early, a bad Huffman code, lost restart markers, a broken progression),
// the file is refused: a picture with made-up parts is not the picture, and
// a few hundred damaged bytes could otherwise claim a 100-megapixel image
// and have it all filled in. A file without its end marker is refused as
// cut short. Harmless oddities (stray bytes before a marker, an unknown
// JFIF version) are left to the library.

#include "platform/pictures/PictureDetail.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

namespace qm6::pictures {

namespace {

// libjpeg's memory for one image (a progressive image keeps all its
// coefficients); beyond it decoding fails instead of swapping to a file.
constexpr long kMaxJpegMemory = 256L << 20;
// Progressive files can hold any number of scans, each a pass over the
// whole image; real files have about ten.
constexpr int kMaxScans = 256;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return; // trace messages
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL: ErrorExit(cinfo);
    default: {
        // The arithmetic decoder's bad-code warning has no name in the
        // headers of a libjpeg 6b build; it is known by its text.
        const jpeg_error_mgr* err = cinfo->err;
        const int code = err->msg_code;
        if (code > 0 && code <= err->last_jpeg_message && err->jpeg_message_table[code] &&
            std::strstr(err->jpeg_message_table[code], "bad arithmetic code"))
            ErrorExit(cinfo);
        break;
    }
    }
}

void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr cinfo) {
    if (cinfo->is_decompressor) {
        const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > kMaxScans)
            ErrorExit(cinfo);
    }
}

// What DecodeJpeg changes between setjmp and a longjmp lives here, on the
// heap, so that nothing the jump returns to is an indeterminate local.
struct DecodeState {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    std::vector<uint8_t> row;
    Image image;
    bool created = false;

    ~DecodeState() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

uint32_t FromCmyk(const uint8_t* p, bool inverted) {
    // Adobe's files store CMYK inverted (0 = full ink); plain CMYK is not.
    uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    const uint32_t r = (c * k + 127) / 255;
    const uint32_t g = (m * k + 127) / 255;
    const uint32_t b = (y * k + 127) / 255;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

} // namespace

std::optional<Image> DecodeJpeg(std::span<const uint8_t> file) {
    if (file.size() < 3 || file[0] != 0xFF || file[1] != 0xD8)
        return std::nullopt;
    const auto state = std::make_unique<DecodeState>();
    jpeg_decompress_struct& cinfo = state->cinfo;
    cinfo.err = jpeg_std_error(&state->err.pub);
    state->err.pub.error_exit = ErrorExit;
    state->err.pub.emit_message = EmitMessage;
    state->err.pub.output_message = OutputMessage;
    if (setjmp(state->err.jump))
        return std::nullopt; // the state's destructor frees libjpeg's memory

    jpeg_create_decompress(&cinfo);
    state->created = true;
    cinfo.mem->max_memory_to_use = kMaxJpegMemory;
    state->progress.progress_monitor = ProgressMonitor;
    cinfo.progress = &state->progress;
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return std::nullopt;
    if (!detail::SizeAllowed(cinfo.image_width, cinfo.image_height))
        return std::nullopt;

    bool cmyk = false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB: cinfo.out_color_space = JCS_EXT_BGRA; break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default: return std::nullopt;
    }
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 4)
        return std::nullopt;

    const uint32_t width = cinfo.output_width;
    state->row.resize(size_t(width) * 4);
    // Rows are appended as they are decoded, so a file that fails early
    // never costs the memory of its whole declared size.
    state->image.pixels.reserve(size_t(width) * std::min<size_t>(cinfo.output_height, 1024));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {state->row.data()};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1)
            return std::nullopt;
        const uint8_t* p = state->row.data();
        for (uint32_t x = 0; x < width; ++x, p += 4) {
            state->image.pixels.push_back(
                cmyk ? FromCmyk(p, cinfo.saw_Adobe_marker)
                     : 0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]);
        }
    }
    // Reads on to the end marker, so that a file without one is refused
    // whether or not the decoder had already read ahead.
    jpeg_finish_decompress(&cinfo);
    state->image.width = static_cast<int32_t>(width);
    state->image.height = static_cast<int32_t>(cinfo.output_height);
    return std::move(state->image);
}

} // namespace qm6::pictures
