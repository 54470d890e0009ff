#include "player/render/BitmapDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

namespace tavro::player::render {

namespace {

constexpr size_t kJpegChunk = 512;
constexpr size_t kInflateChunk = 2048;
const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

bool SizeAllowed(int64_t w, int64_t h) {
    return w > 0 && h > 0 && w <= BitmapDecoder::kMaxSide && h <= BitmapDecoder::kMaxSide &&
           w * h <= BitmapDecoder::kMaxPixels;
}

bool Allocate(DecodedBitmap& out, int w, int h) {
    try {
        out.pixels.assign(size_t(w) * size_t(h), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    out.width = w;
    out.height = h;
    return true;
}

// --- JPEG: a source that hands out the data 512 bytes at a time and ends it with an EOI ---

struct MemorySource {
    jpeg_source_mgr pub;
    const JOCTET* data;
    size_t size;
    size_t pos;
};

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
    if (src->pos >= src->size) {
        // The data ran out: supply an end-of-image marker so the decoder finishes.
        src->pub.next_input_byte = kFakeEoi;
        src->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    size_t n = std::min(kJpegChunk, src->size - src->pos);
    src->pub.next_input_byte = src->data + src->pos;
    src->pub.bytes_in_buffer = n;
    src->pos += n;
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
    if (count <= 0)
        return;
    size_t n = size_t(count);
    while (n > src->pub.bytes_in_buffer) {
        n -= src->pub.bytes_in_buffer;
        src->pub.bytes_in_buffer = 0;
        FillInput(cinfo);
        if (src->pub.next_input_byte == kFakeEoi)
            return;
    }
    src->pub.next_input_byte += n;
    src->pub.bytes_in_buffer -= n;
}

void TermSource(j_decompress_ptr) {}

void SetSource(MemorySource& src, std::span<const uint8_t> data) {
    // Some movies put a stray end and start marker pair (FF D9 FF D8) in front of the data.
    if (data.size() >= 4 && data[0] == 0xFF && data[1] == 0xD9 && data[2] == 0xFF &&
        data[3] == 0xD8)
        data = data.subspan(4);
    src.data = data.data();
    src.size = data.size();
    src.pos = 0;
    src.pub.next_input_byte = nullptr;
    src.pub.bytes_in_buffer = 0;
}

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}
void OutputMessage(j_common_ptr) {}

// Everything the decoder touches lives here, so that nothing in the function that calls
// setjmp changes after it.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    MemorySource src;
    std::vector<JSAMPLE> row;
    DecodedBitmap* out = nullptr;
    bool created = false;
};

bool RunJpeg(JpegJob* job, std::span<const uint8_t> tables, std::span<const uint8_t> image) {
    jpeg_decompress_struct& cinfo = job->cinfo;
    if (setjmp(job->err.jump)) {
        if (job->created)
            jpeg_destroy_decompress(&cinfo);
        job->created = false;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    job->created = true;
    job->src.pub.init_source = InitSource;
    job->src.pub.fill_input_buffer = FillInput;
    job->src.pub.skip_input_data = SkipInput;
    job->src.pub.resync_to_restart = jpeg_resync_to_restart;
    job->src.pub.term_source = TermSource;
    cinfo.src = &job->src.pub;

    if (!tables.empty()) {
        SetSource(job->src, tables);
        jpeg_read_header(&cinfo, FALSE);
    }
    SetSource(job->src, image);
    // The image data may itself start with a tables-only stream.
    int header = jpeg_read_header(&cinfo, FALSE);
    if (header == JPEG_HEADER_TABLES_ONLY)
        header = jpeg_read_header(&cinfo, TRUE);
    if (header != JPEG_HEADER_OK || !SizeAllowed(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        job->created = false;
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const int w = int(cinfo.output_width), h = int(cinfo.output_height);
    if (cinfo.output_components != 3 || !SizeAllowed(w, h) || !Allocate(*job->out, w, h)) {
        jpeg_destroy_decompress(&cinfo);
        job->created = false;
        return false;
    }
    job->row.resize(size_t(w) * 3);
    JSAMPROW rows[1] = {job->row.data()};
    uint32_t* px = job->out->pixels.data();
    while (cinfo.output_scanline < cinfo.output_height) {
        size_t y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1)
            break;
        const JSAMPLE* s = job->row.data();
        uint32_t* d = px + y * size_t(w);
        for (int x = 0; x < w; ++x, s += 3)
            d[x] = 0xFF000000u | (uint32_t(s[0]) << 16) | (uint32_t(s[1]) << 8) | s[2];
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    job->created = false;
    job->out->opaque = true;
    return true;
}

// Inflates exactly out.size() bytes (the compressed stream may hold more).
bool InflateExact(std::span<const uint8_t> in, uint8_t* out, size_t outSize) {
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit(&zs) != Z_OK)
        return false;
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = uInt(std::min<size_t>(in.size(), 0x7FFFFFFF));
    size_t done = 0;
    int rc = Z_OK;
    while (done < outSize) {
        size_t n = std::min(kInflateChunk, outSize - done);
        zs.next_out = out + done;
        zs.avail_out = uInt(n);
        rc = inflate(&zs, Z_NO_FLUSH);
        done += n - zs.avail_out;
        if (rc == Z_STREAM_END || (rc != Z_OK && rc != Z_BUF_ERROR))
            break;
        if (rc == Z_BUF_ERROR && zs.avail_in == 0)
            break;
    }
    inflateEnd(&zs);
    return done == outSize;
}

} // namespace

bool BitmapDecoder::DecodeJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> image,
                               DecodedBitmap& out) {
    if (image.empty())
        return false;
    auto job = std::make_unique<JpegJob>();
    std::memset(&job->cinfo, 0, sizeof job->cinfo);
    job->cinfo.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = ErrorExit;
    job->err.pub.output_message = OutputMessage;
    job->out = &out;
    bool ok = RunJpeg(job.get(), tables, image);
    if (!ok) {
        out.pixels.clear();
        out.width = out.height = 0;
    }
    return ok;
}

bool BitmapDecoder::ApplyAlphaPlane(std::span<const uint8_t> zlibAlpha, DecodedBitmap& bm) {
    size_t n = bm.pixels.size();
    std::vector<uint8_t> alpha;
    try {
        alpha.resize(n);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!InflateExact(zlibAlpha, alpha.data(), n))
        return false;
    bool opaque = true;
    for (size_t i = 0; i < n; ++i) {
        uint32_t a = alpha[i];
        uint32_t c = bm.pixels[i];
        // The colours are taken as premultiplied already; a channel above its alpha is lowered.
        uint32_t r = std::min((c >> 16) & 0xFF, a), g = std::min((c >> 8) & 0xFF, a),
                 b = std::min(c & 0xFF, a);
        bm.pixels[i] = (a << 24) | (r << 16) | (g << 8) | b;
        opaque &= a == 255;
    }
    bm.opaque = opaque;
    return true;
}

bool BitmapDecoder::DecodeLossless(std::span<const uint8_t> p, bool withAlpha, DecodedBitmap& out) {
    if (p.size() < 5)
        return false;
    const int format = p[0];
    const int w = p[1] | (p[2] << 8), h = p[3] | (p[4] << 8);
    if (!SizeAllowed(w, h))
        return false;
    size_t pos = 5;
    size_t colors = 0;
    if (format == 3) {
        if (p.size() < 6)
            return false;
        colors = size_t(p[5]) + 1;
        pos = 6;
    } else if (format != 5 && !(format == 4 && !withAlpha)) {
        return false;
    }
    const size_t entryBytes = withAlpha ? 4 : 3;
    const size_t pixelBytes = format == 3 ? 1 : format == 4 ? 2 : 4;
    const size_t stride = (size_t(w) * pixelBytes + 3) & ~size_t(3);
    const size_t tableBytes = colors * entryBytes;
    const size_t total = tableBytes + stride * size_t(h);
    std::vector<uint8_t> raw;
    try {
        raw.resize(total);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!InflateExact(p.subspan(pos), raw.data(), total) || !Allocate(out, w, h))
        return false;

    auto premultiplied = [](uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
        return (a << 24) | (std::min(r, a) << 16) | (std::min(g, a) << 8) | std::min(b, a);
    };
    bool opaque = true;
    std::vector<uint32_t> table(colors);
    for (size_t i = 0; i < colors; ++i) {
        const uint8_t* e = raw.data() + i * entryBytes;
        uint32_t a = withAlpha ? e[3] : 255;
        table[i] = premultiplied(a, e[0], e[1], e[2]);
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = raw.data() + tableBytes + size_t(y) * stride;
        uint32_t* d = out.pixels.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            uint32_t c;
            if (format == 3) {
                size_t idx = row[x];
                c = idx < colors ? table[idx] : (withAlpha ? 0u : 0xFF000000u);
            } else if (format == 4) {
                uint32_t v = (uint32_t(row[x * 2]) << 8) | row[x * 2 + 1];
                auto ex = [](uint32_t five) { return (five << 3) | (five >> 2); };
                c = 0xFF000000u | (ex((v >> 10) & 31) << 16) | (ex((v >> 5) & 31) << 8) |
                    ex(v & 31);
            } else {
                const uint8_t* s = row + size_t(x) * 4;
                uint32_t a = withAlpha ? s[0] : 255;
                c = premultiplied(a, s[1], s[2], s[3]);
            }
            d[x] = c;
            opaque &= (c >> 24) == 255;
        }
    }
    out.opaque = opaque;
    return true;
}

std::unique_ptr<DecodedBitmap> BitmapDecoder::Decode(uint8_t tagCode, std::span<const uint8_t> body,
                                                     std::span<const uint8_t> jpegTables) {
    auto bm = std::make_unique<DecodedBitmap>();
    bool ok = false;
    if (body.size() >= 2) {
        std::span<const uint8_t> rest = body.subspan(2);
        switch (tagCode) {
        case 6:
            ok = DecodeJpeg(jpegTables, rest, *bm);
            break;
        case 21:
            ok = DecodeJpeg({}, rest, *bm);
            break;
        case 35:
            if (rest.size() >= 4) {
                uint32_t jpegLen = uint32_t(rest[0]) | (uint32_t(rest[1]) << 8) |
                                   (uint32_t(rest[2]) << 16) | (uint32_t(rest[3]) << 24);
                rest = rest.subspan(4);
                if (jpegLen <= rest.size())
                    ok = DecodeJpeg({}, rest.first(jpegLen), *bm) &&
                         ApplyAlphaPlane(rest.subspan(jpegLen), *bm);
            }
            break;
        case 20:
        case 36:
            ok = DecodeLossless(rest, tagCode == 36, *bm);
            break;
        default:
            break;
        }
    }
    if (!ok) {
        bm->pixels.clear();
        bm->width = bm->height = 0;
        bm->failed = true;
    }
    return bm;
}

} // namespace tavro::player::render
