#include "platform/diagram/JpegEncode.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace platform::diagram {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not
// return: it jumps back to the encoder, which gives up on the picture.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf back;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

void Silent(j_common_ptr) {}

// The density Qt's writer records: dots per inch where the image's
// resolution is nearer a whole number of them than of dots per centimetre.
void SetDensity(jpeg_compress_struct& info, const QImage& image) {
    const double dpmX = image.dotsPerMeterX(), dpmY = image.dotsPerMeterY();
    const double diffInch = std::abs(dpmX * 2.54 / 100. - std::round(dpmX * 2.54 / 100.)) +
                            std::abs(dpmY * 2.54 / 100. - std::round(dpmY * 2.54 / 100.));
    const double diffCm =
        (std::abs(dpmX / 100. - std::round(dpmX / 100.)) + std::abs(dpmY / 100. - std::round(dpmY / 100.))) * 2.54;
    if (diffInch < diffCm) {
        info.density_unit = 1;
        info.X_density = static_cast<UINT16>(std::lround(dpmX * 2.54 / 100.));
        info.Y_density = static_cast<UINT16>(std::lround(dpmY * 2.54 / 100.));
    } else {
        info.density_unit = 2;
        info.X_density = static_cast<UINT16>((image.dotsPerMeterX() + 50) / 100);
        info.Y_density = static_cast<UINT16>((image.dotsPerMeterY() + 50) / 100);
    }
}

// Everything that must outlive a longjmp lives outside the function that
// calls setjmp; that function holds no object with a destructor.
struct Encoding {
    jpeg_compress_struct info{};
    ErrorManager error{};
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    std::vector<JSAMPROW> rows;
    ~Encoding() {
        jpeg_destroy_compress(&info);
        std::free(bytes);
    }
};

bool Compress(Encoding& e, const QImage& image, int quality) {
    if (setjmp(e.error.back)) return false;
    jpeg_create_compress(&e.info);
    jpeg_mem_dest(&e.info, &e.bytes, &e.size);
    e.info.image_width = static_cast<JDIMENSION>(image.width());
    e.info.image_height = static_cast<JDIMENSION>(image.height());
    e.info.input_components = 4;
    // A QRgb in memory: blue, green, red, alpha on a little-endian machine.
    e.info.in_color_space = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&e.info);
    SetDensity(e.info, image);
    jpeg_set_quality(&e.info, std::clamp(quality, 1, 100), TRUE);
    // Colour at full resolution: halved in each direction, as by default,
    // the colour of a line one pixel wide is shared with the pixels beside
    // it (blue turns navy with a pale fringe, yellow a pale smear).
    for (int c = 0; c < e.info.num_components; ++c) {
        e.info.comp_info[c].h_samp_factor = 1;
        e.info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&e.info, TRUE);
    while (e.info.next_scanline < e.info.image_height) {
        const JDIMENSION done = jpeg_write_scanlines(&e.info, e.rows.data() + e.info.next_scanline,
                                                     e.info.image_height - e.info.next_scanline);
        if (done == 0) return false;
    }
    jpeg_finish_compress(&e.info);
    return true;
}

}  // namespace

std::optional<std::string> EncodeJpeg(const QImage& image, int quality) {
    const QImage::Format format = image.format();
    if (image.isNull() || (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32)) return std::nullopt;
    Encoding e;
    e.info.err = jpeg_std_error(&e.error.base);
    e.error.base.error_exit = JumpBack;
    e.error.base.output_message = Silent;
    e.rows.resize(static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) e.rows[static_cast<std::size_t>(y)] = const_cast<JSAMPROW>(image.constScanLine(y));
    if (!Compress(e, image, quality)) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(e.bytes), e.size);
}

}  // namespace platform::diagram
