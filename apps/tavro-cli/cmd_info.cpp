// tavro-cli info FILE.swf: lists the header and every tag of an SWF movie, one line per tag, with
// the main fields of the tags Tavro writes. A compressed movie is listed as the movie it inflates
// to. Damage ends the listing with an error.
#include "CliCommand.h"

#include "player/host/MovieFileReader.h"
#include "swf/SwfTagReader.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace tavro::cli {
namespace {

std::string FormatRate(uint16_t rate) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", rate / 256.0);
    return buf;
}

void RunInfo(const std::string& path) {
    // A compressed movie is listed as the movie it inflates to.
    std::vector<uint8_t> bytes;
    if (std::string error; !player::ReadMovieFile(path, bytes, error))
        throw CliError(path + ": " + error);
    const std::span<const uint8_t> data(bytes);
    try {
        const SwfTagReader::Header h = SwfTagReader::ReadHeader(data);
        std::cout << "FWS version " << unsigned{h.version} << ", file length " << h.fileLength
                  << ", frame x=" << h.xmin << ".." << h.xmax << " y=" << h.ymin << ".." << h.ymax
                  << " twips, rate " << FormatRate(h.frameRate) << " fps, " << h.frameCount
                  << (h.frameCount == 1 ? " frame" : " frames") << "\n";
        std::cout << "frame code name                  length  fields\n";
        SwfTagReader::ListMovie(data, h, [](const SwfTagReader::Entry& e) {
            const std::string indent(static_cast<size_t>(e.nesting) * 4, ' ');
            char head[96];
            std::snprintf(head, sizeof head, "%s%5u %4u %-20s %7u", indent.c_str(), e.frame,
                          e.tag.code, std::string(SwfTagReader::TagName(e.tag.code)).c_str(),
                          e.tag.length);
            std::cout << head << (e.fields.empty() ? "" : "  ") << e.fields << "\n";
        });
    } catch (const SwfTagReader::Error& e) {
        std::cout.flush();
        throw CliError(path + ": " + e.what());
    }
}

void Setup(CLI::App& app) {
    auto* cmd = app.add_subcommand(
        "info", "List the header and every tag of an SWF movie, one line per tag");
    cmd->footer("Each line shows the frame number (from 0), the tag code, the tag name, the body\n"
                "length in bytes and the main fields of the tag; the tags inside a DefineSprite\n"
                "follow it, indented. A zlib-compressed (CWS) movie is listed as the movie it\n"
                "inflates to. A truncated or damaged file ends the listing with a message on\n"
                "standard error and exit status 1.");
    static std::string file;
    cmd->add_option("FILE", file, "The .swf file to list")->required();
    cmd->callback([] { RunInfo(file); });
}

const CliCommandRegistrar registrar(Setup);

} // namespace
} // namespace tavro::cli
