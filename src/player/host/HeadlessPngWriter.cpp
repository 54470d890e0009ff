#include "player/host/HeadlessPngWriter.h"

#include "base/AtomicFile.h"

#include <png.h>

#include <csetjmp>

namespace tavro::player {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// The whole PNG file in memory, so that it reaches the disk in one atomic save.
bool EncodePng(std::vector<uint8_t>& out, const std::vector<uint8_t>& rgba, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgba.data() + size_t(y) * size_t(width) * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool HeadlessPngWriter::Write(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                              int height, std::string& error) {
    if (width <= 0 || height <= 0 || rgba.size() < size_t(width) * size_t(height) * 4) {
        error = path + ": the picture is empty";
        return false;
    }
    std::vector<uint8_t> png;
    if (!EncodePng(png, rgba, width, height)) {
        error = path + ": cannot encode the PNG data";
        return false;
    }
    return SaveFileAtomically(path, png, error);
}

} // namespace tavro::player
