// tavro-cli info FILE.swf: lists the header and every tag of an uncompressed SWF movie, one line
// per tag, with the main fields of the tags Tavro writes. Damage ends the listing with an error.
#include "CliCommand.h"

#include "swf/SwfTagReader.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace tavro::cli {
namespace {

// Sprites inside sprites are not valid in a movie; a few levels are listed, deeper ones are
// reported as damage so that a hostile file cannot drive the recursion.
constexpr int kMaxSpriteNesting = 8;

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw CliError(path + ": cannot open file");
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad())
        throw CliError(path + ": read error");
    return bytes;
}

std::string FormatRate(uint16_t rate) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", rate / 256.0);
    return buf;
}

void ListTags(std::ostream& out, std::span<const uint8_t> data, SwfTagReader& reader, int nesting) {
    const std::string indent(static_cast<size_t>(nesting) * 4, ' ');
    uint32_t frame = 0;
    SwfTagReader::Tag tag;
    while (reader.Next(tag)) {
        char head[96];
        std::snprintf(head, sizeof head, "%s%5u %4u %-20s %7u", indent.c_str(), frame, tag.code,
                      std::string(SwfTagReader::TagName(tag.code)).c_str(), tag.length);
        const std::string fields = reader.DescribeFields(tag);
        out << head << (fields.empty() ? "" : "  ") << fields << "\n";
        if (tag.code == 1)
            ++frame;
        if (tag.code == 39) {
            if (nesting + 1 > kMaxSpriteNesting)
                throw SwfTagReader::Error("sprites nested too deeply at offset " +
                                              std::to_string(tag.offset),
                                          tag.offset);
            SwfTagReader inner = SwfTagReader::ForSprite(data, tag);
            ListTags(out, data, inner, nesting + 1);
            if (!inner.SawEnd())
                throw SwfTagReader::Error("DefineSprite at offset " + std::to_string(tag.offset) +
                                              " has no End tag",
                                          tag.offset);
        }
    }
}

void RunInfo(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    const std::span<const uint8_t> data(bytes);
    try {
        const SwfTagReader::Header h = SwfTagReader::ReadHeader(data);
        std::cout << "FWS version " << unsigned{h.version} << ", file length " << h.fileLength
                  << ", frame x=" << h.xmin << ".." << h.xmax << " y=" << h.ymin << ".." << h.ymax
                  << " twips, rate " << FormatRate(h.frameRate) << " fps, " << h.frameCount
                  << (h.frameCount == 1 ? " frame" : " frames") << "\n";
        std::cout << "frame code name                  length  fields\n";
        SwfTagReader reader = SwfTagReader::ForMovie(data, h);
        ListTags(std::cout, data, reader, 0);
        std::cout.flush();
        if (!reader.SawEnd())
            throw SwfTagReader::Error("truncated: no End tag before offset " +
                                          std::to_string(reader.Position()),
                                      reader.Position());
        if (h.fileLength > bytes.size())
            throw SwfTagReader::Error("truncated: the header gives " +
                                          std::to_string(h.fileLength) + " bytes, the file has " +
                                          std::to_string(bytes.size()),
                                      bytes.size());
    } catch (const SwfTagReader::Error& e) {
        std::cout.flush();
        throw CliError(path + ": " + e.what());
    }
}

void Setup(CLI::App& app) {
    auto* cmd = app.add_subcommand(
        "info", "List the header and every tag of an SWF movie, one line per tag");
    cmd->footer(
        "Each line shows the frame number (from 0), the tag code, the tag name, the body\n"
        "length in bytes and the main fields of the tag; the tags inside a DefineSprite\n"
        "follow it, indented. Compressed (CWS) movies are not supported. A truncated or\n"
        "damaged file ends the listing with a message on standard error and exit status 1.");
    static std::string file;
    cmd->add_option("FILE", file, "The .swf file to list")->required();
    cmd->callback([] { RunInfo(file); });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
