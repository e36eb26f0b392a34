#include "JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace JpegWriter {

namespace {

struct Encoder {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    std::jmp_buf failed{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<JSAMPLE> row;
    ~Encoder() { std::free(buffer); }
};

[[noreturn]] void fail(j_common_ptr cinfo)
{
    (*cinfo->err->output_message)(cinfo);
    std::longjmp(static_cast<Encoder*>(cinfo->client_data)->failed, 1);
}

} // namespace

QByteArray encode(const QImage& source, int quality)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return {};

    const auto e = std::make_unique<Encoder>();
    e->cinfo.client_data = e.get();
    e->cinfo.err = jpeg_std_error(&e->errors);
    e->errors.error_exit = fail;
    if (setjmp(e->failed)) {
        jpeg_destroy_compress(&e->cinfo);
        return {};
    }

    jpeg_create_compress(&e->cinfo);
    jpeg_mem_dest(&e->cinfo, &e->buffer, &e->size);
    e->cinfo.image_width = JDIMENSION(image.width());
    e->cinfo.image_height = JDIMENSION(image.height());
    e->cinfo.input_components = 3;
    e->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e->cinfo);
    jpeg_set_quality(&e->cinfo, quality, TRUE);
    // Thin blue lines on white smear badly with halved chroma; full-resolution colour costs little here.
    for (int i = 0; i < e->cinfo.num_components; ++i) {
        e->cinfo.comp_info[i].h_samp_factor = 1;
        e->cinfo.comp_info[i].v_samp_factor = 1;
    }
    e->cinfo.density_unit = 1; // dots per inch
    e->cinfo.X_density = 96;
    e->cinfo.Y_density = 96;
    jpeg_start_compress(&e->cinfo, TRUE);

    e->row.resize(std::size_t(image.width()) * 3);
    JSAMPROW rows[1] = {e->row.data()};
    while (e->cinfo.next_scanline < e->cinfo.image_height) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(int(e->cinfo.next_scanline)));
        for (int x = 0; x < image.width(); ++x) {
            e->row[std::size_t(x) * 3] = JSAMPLE(qRed(in[x]));
            e->row[std::size_t(x) * 3 + 1] = JSAMPLE(qGreen(in[x]));
            e->row[std::size_t(x) * 3 + 2] = JSAMPLE(qBlue(in[x]));
        }
        jpeg_write_scanlines(&e->cinfo, rows, 1);
    }
    jpeg_finish_compress(&e->cinfo);
    jpeg_destroy_compress(&e->cinfo);
    return QByteArray(reinterpret_cast<const char*>(e->buffer), qsizetype(e->size));
}

} // namespace JpegWriter
