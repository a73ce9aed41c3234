#include "jpegpicture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return;
// jumping back to DecodeInto keeps bad data from ending the program. Neither
// DecodeInto nor ReadPixels keeps a local object with a destructor, so the
// jump skips no destructor.
struct TJpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void LeaveOnError(j_common_ptr decoder)
{
    auto *errors = reinterpret_cast<TJpegErrors *>(decoder->err);
    (*decoder->err->format_message)(decoder, errors->message);
    std::longjmp(errors->escape, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

bool ReadPixels(jpeg_decompress_struct &decoder, QImage &picture)
{
    // The row buffer comes from libjpeg's pool, freed with the decoder.
    JSAMPARRAY row = (*decoder.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&decoder), JPOOL_IMAGE,
                                                  decoder.output_width * 3, 1);
    while (decoder.output_scanline < decoder.output_height) {
        const int y = int(decoder.output_scanline);
        if (jpeg_read_scanlines(&decoder, row, 1) != 1)
            return false;
        auto *out = reinterpret_cast<QRgb *>(picture.scanLine(y));
        const JSAMPLE *in = row[0];
        for (JDIMENSION x = 0; x < decoder.output_width; ++x)
            out[x] = qRgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
    }
    return true;
}

// Returns 0 on success, 1 for a libjpeg error (message in errors), 2 when the
// picture could not be completed or held.
int DecodeInto(const QByteArray &data, TJpegErrors &errors, QImage &picture)
{
    jpeg_decompress_struct decoder{};
    decoder.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = LeaveOnError;
    errors.manager.emit_message = IgnoreMessage;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&decoder);
        return 1;
    }
    jpeg_create_decompress(&decoder);
    jpeg_mem_src(&decoder, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&decoder, TRUE);
    decoder.out_color_space = JCS_RGB;
    jpeg_start_decompress(&decoder);
    picture = QImage(int(decoder.output_width), int(decoder.output_height), QImage::Format_RGB32);
    const bool complete = !picture.isNull() && ReadPixels(decoder, picture);
    if (complete)
        jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    return complete ? 0 : 2;
}

} // namespace

QImage DecodeJpeg(const QByteArray &data, QString *error)
{
    if (data.isEmpty()) {
        if (error)
            *error = QStringLiteral("No picture data");
        return QImage();
    }
    TJpegErrors errors{};
    QImage picture;
    const int result = DecodeInto(data, errors, picture);
    if (result == 0)
        return picture;
    if (error)
        *error = result == 1 ? QString::fromLocal8Bit(errors.message) : QStringLiteral("Incomplete picture");
    return QImage();
}
