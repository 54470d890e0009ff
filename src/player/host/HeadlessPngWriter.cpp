#include "player/host/HeadlessPngWriter.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tavro::player {

namespace {

struct PngFile {
    FILE* f = nullptr;
    ~PngFile() {
        if (f)
            std::fclose(f);
    }
};

bool WriteRows(FILE* f, const std::vector<uint8_t>& rgba, int width, int height) {
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
    png_init_io(png, f);
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
        error = "the picture is empty";
        return false;
    }
    // Write beside the target and rename, so a failed write never leaves a partial file.
    std::string temp = path + ".tmp";
    PngFile file;
    file.f = std::fopen(temp.c_str(), "wb");
    if (!file.f) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = WriteRows(file.f, rgba, width, height);
    ok = (std::fclose(file.f) == 0) && ok;
    file.f = nullptr;
    if (!ok) {
        std::remove(temp.c_str());
        error = "cannot write the PNG data";
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        error = ec.message();
        return false;
    }
    return true;
}

} // namespace tavro::player
