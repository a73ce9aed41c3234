#include "jpegwriter.h"

#include <cstdio>
#include <vector>

#include <jpeglib.h>

bool WriteProgressiveJpeg(const QImage &image, const QString &path, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    FILE *file = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!file)
        return false;

    jpeg_compress_struct compressor{};
    jpeg_error_mgr errors{};
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    jpeg_stdio_dest(&compressor, file);

    compressor.image_width = JDIMENSION(rgb.width());
    compressor.image_height = JDIMENSION(rgb.height());
    compressor.input_components = 3;
    compressor.in_color_space = JCS_RGB;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, quality, TRUE);
    // The picture is shown while it loads on slow machines in the same way
    // as the board maker's own pictures: progressive scans.
    jpeg_simple_progression(&compressor);

    jpeg_start_compress(&compressor, TRUE);
    while (compressor.next_scanline < compressor.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(compressor.next_scanline)));
        jpeg_write_scanlines(&compressor, &row, 1);
    }
    jpeg_finish_compress(&compressor);
    jpeg_destroy_compress(&compressor);
    return std::fclose(file) == 0;
}
