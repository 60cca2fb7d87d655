// SPDX-License-Identifier: GPL-2.0-or-later
#include "coverart.h"

#include "platform/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace trackmill {

namespace {

constexpr int kQuality = 90;
// A picture beyond this is no cover: 64 megapixels would take 192 MiB.
constexpr long kMaxPixels = 8000L * 8000L;

// libjpeg reports errors by calling error_exit, which must not return:
// it jumps back to the call that started the work.
struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool cutShort = false;
};

void onError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings are not printed; a picture whose data ends early decodes with
// grey filled in, which is no cover.
void quiet(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorManager*>(info->err)->cutShort = true;
}

bool isJpeg(const QByteArray& b)
{
    return b.size() > 3 && uchar(b[0]) == 0xFF && uchar(b[1]) == 0xD8 && uchar(b[2]) == 0xFF;
}

bool isPng(const QByteArray& b)
{
    return b.startsWith("\x89PNG\r\n\x1a\n");
}

// Decodes with libjpeg's own scaling (1/denominator) into 8-bit RGB or
// grey rows. The output vector lives in the caller, so the jump back on an
// error leaves nothing behind.
bool decode(const QByteArray& jpeg, int denominator, std::vector<unsigned char>& pixels, int& width, int& height,
            int& components)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = quiet;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.constData()), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    if (long(info.image_width) * long(info.image_height) > kMaxPixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned int>(denominator);
    // CMYK and the like become RGB; grey stays grey.
    if (info.jpeg_color_space != JCS_GRAYSCALE)
        info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = int(info.output_width);
    height = int(info.output_height);
    components = info.output_components;
    pixels.assign(size_t(width) * size_t(height) * size_t(components), 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + size_t(info.output_scanline) * size_t(width) * size_t(components);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return !errors.cutShort;
}

bool encode(const std::vector<unsigned char>& pixels, int width, int height, int components, QByteArray& out)
{
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = quiet;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(pixels.data()) + size_t(info.next_scanline) * size_t(width) * size_t(components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    out = QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size));
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return true;
}

}

QString writeCoverFile(const QString& folder, const CoverArt& cover)
{
    const QString path = QDir(folder).filePath(cover.fileName());
    // A picture already there is the user's (or an earlier rip's): it stays.
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.size() == cover.data.size() && existing.readAll() == cover.data)
            return {};
        return path + QStringLiteral(": another picture is there already, it is kept");
    }
    return saveFile(path, cover.data);
}

QString CoverArt::fileName() const
{
    return mimeType == "image/png" ? QStringLiteral("cover.png") : QStringLiteral("cover.jpg");
}

std::optional<std::pair<int, int>> jpegSize(const QByteArray& jpeg)
{
    if (!isJpeg(jpeg))
        return std::nullopt;
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = quiet;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.constData()), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    const std::pair<int, int> size{int(info.image_width), int(info.image_height)};
    jpeg_destroy_decompress(&info);
    if (size.first <= 0 || size.second <= 0)
        return std::nullopt;
    return size;
}

std::optional<CoverArt> CoverArt::fromBytes(const QByteArray& bytes, QString* why)
{
    const auto fail = [why](const QString& reason) -> std::optional<CoverArt> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (isPng(bytes)) {
        if (bytes.size() > kMaxEmbeddedBytes)
            return fail(QStringLiteral("PNG picture larger than %1 bytes").arg(kMaxEmbeddedBytes));
        return CoverArt{bytes, "image/png"};
    }
    if (!isJpeg(bytes))
        return fail(QStringLiteral("not a JPEG or PNG picture"));
    std::vector<unsigned char> pixels;
    int width = 0, height = 0, components = 0;
    // The whole picture must decode: a cut-off download is no cover.
    if (!decode(bytes, 1, pixels, width, height, components))
        return fail(QStringLiteral("a JPEG picture that does not decode"));
    if (bytes.size() <= kMaxEmbeddedBytes)
        return CoverArt{bytes, "image/jpeg"};
    for (int denominator = 2; denominator <= 8; denominator *= 2) {
        QByteArray smaller;
        if (!decode(bytes, denominator, pixels, width, height, components)
            || !encode(pixels, width, height, components, smaller))
            return fail(QStringLiteral("a JPEG picture that does not decode"));
        if (smaller.size() <= kMaxEmbeddedBytes)
            return CoverArt{smaller, "image/jpeg"};
    }
    return fail(QStringLiteral("a picture that stays larger than %1 bytes").arg(kMaxEmbeddedBytes));
}

}
