#include "ui/Pictures.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "text/Paths.h"

namespace exambell {
namespace {

constexpr const char* kPictureFolder = "pictures";
constexpr const char* kRunIdleFile = "run.png";
constexpr const char* kRunActiveFile = "pause.png";
constexpr const char* kCardFile = "card.jpg";

std::string readBytes(const Text& path) {
    std::ifstream in(nativePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// Decodes into image (RGB888); false on any error. Only trivially destructible objects live
// between setjmp and longjmp.
bool decodeJpegInto(const unsigned char* data, unsigned long size, QImage* image) {
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegFail;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width > 8192 || info.output_height > 8192) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                    QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

QImage decodePng(const Text& path) {
    const std::string bytes = readBytes(path);
    if (bytes.empty()) {
        return QImage();
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
        return QImage();
    }
    png.format = PNG_FORMAT_RGBA;
    if (png.width > 8192 || png.height > 8192) {
        png_image_free(&png);
        return QImage();
    }
    QImage image(static_cast<int>(png.width), static_cast<int>(png.height),
                 QImage::Format_RGBA8888);
    if (!png_image_finish_read(&png, nullptr, image.bits(),
                               static_cast<png_int_32>(image.bytesPerLine()), nullptr)) {
        png_image_free(&png);
        return QImage();
    }
    return image;
}

QImage decodeJpeg(const Text& path) {
    const std::string bytes = readBytes(path);
    QImage image;
    if (bytes.empty() || !decodeJpegInto(reinterpret_cast<const unsigned char*>(bytes.data()),
                                         static_cast<unsigned long>(bytes.size()), &image)) {
        return QImage();
    }
    return image;
}

DesignPictures loadDesignPictures(const Text& programDir) {
    const Text folder = joinPath(programDir, kPictureFolder);
    return {decodePng(joinPath(folder, kRunIdleFile)), decodePng(joinPath(folder, kRunActiveFile)),
            decodeJpeg(joinPath(folder, kCardFile))};
}

}  // namespace exambell
