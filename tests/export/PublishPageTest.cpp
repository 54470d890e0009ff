#include "export/PublishPage.h"

#include "model/CDocObj.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tavro {
namespace {

// The page split at "\r\n"; a line holding a bare "\n" or "\r" fails the test.
std::vector<std::string> Lines(const std::string& page) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < page.size()) {
        const size_t end = page.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "unterminated last line";
        if (end == std::string::npos)
            break;
        const std::string line = page.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

PublishPageFields Fields(std::string name, int w, int h, uint32_t color) {
    PublishPageFields f;
    f.name = std::move(name);
    f.width = w;
    f.height = h;
    f.color = color;
    return f;
}

TEST(PublishPageTest, WholePageOfARedMovie) {
    const std::string expected =
        "<html>\r\n"
        "<head>\r\n"
        "<title>Tavro [hello.swi]</title>\r\n"
        "</head>\r\n"
        "<body bgcolor=\"#ffffff\">\r\n"
        "<center>\r\n"
        "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\"\r\n"
        "\tcodebase=\"http://download.example.com/flash2/cabs/swflash.cab#version=4,0,0,0\"\r\n"
        "\tID=hello WIDTH=550 HEIGHT=400>\r\n"
        "\t<PARAM NAME=movie VALUE=\"hello.swf\">\r\n"
        "\t<PARAM NAME=quality VALUE=high>\r\n"
        "\t<PARAM NAME=bgcolor VALUE=#FF0000>\r\n"
        "\t<EMBED src=\"hello.swf\" quality=high bgcolor=#FF0000\r\n"
        "\t\tWIDTH=550 HEIGHT=400\r\n"
        "\t\tTYPE=\"application/x-shockwave-flash\"\r\n"
        "\t\tPLUGINSPAGE=\"http://www.example.com/shockwave/download/"
        "index.cgi?P1_Prod_Version=ShockwaveFlash\">\r\n"
        "\t</EMBED>\r\n"
        "</OBJECT>\r\n"
        "</center>\r\n"
        "</body>\r\n"
        "</html>\r\n";
    EXPECT_EQ(BuildPublishPage(Fields("hello", 550, 400, 0xFF0000)), expected);
}

TEST(PublishPageTest, FieldsFromTheDocument) {
    CDocObj doc;
    doc.SetMovieSize(550.5, 399.49);
    doc.SetBackgroundColor(0, 0, 255);
    const auto lines = Lines(BuildPublishPage(PageFieldsOf(doc, "m")));
    ASSERT_EQ(lines.size(), 21u); // line 1 of the template is two lines of text
    EXPECT_EQ(lines[8], "\tID=m WIDTH=551 HEIGHT=399>");
    EXPECT_EQ(lines[11], "\t<PARAM NAME=bgcolor VALUE=#0000FF>");
    EXPECT_EQ(lines[12], "\t<EMBED src=\"m.swf\" quality=high bgcolor=#0000FF");
    EXPECT_EQ(lines[13], "\t\tWIDTH=551 HEIGHT=399");

    doc.SetBackgroundColor(1, 2, 3);
    EXPECT_EQ(PageFieldsOf(doc, "m").color, 0x010203u);
}

TEST(PublishPageTest, PercentSignInTheNameStaysText) {
    const auto lines = Lines(BuildPublishPage(Fields("100%d %s", 10, 20, 0)));
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[2], "<title>Tavro [100%d %s.swi]</title>");
    EXPECT_EQ(lines[8], "\tID=100%d %s WIDTH=10 HEIGHT=20>");
    EXPECT_EQ(lines[9], "\t<PARAM NAME=movie VALUE=\"100%d %s.swf\">");
    EXPECT_EQ(lines[12], "\t<EMBED src=\"100%d %s.swf\" quality=high bgcolor=#000000");
}

TEST(PublishPageTest, MarkupInTheNameIsEscaped) {
    const auto lines = Lines(BuildPublishPage(Fields("a<b>&\"c", 1, 1, 0)));
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[2], "<title>Tavro [a&lt;b&gt;&amp;&quot;c.swi]</title>");
    EXPECT_EQ(lines[8], "\tID=a&lt;b&gt;&amp;&quot;c WIDTH=1 HEIGHT=1>");
    EXPECT_EQ(lines[9], "\t<PARAM NAME=movie VALUE=\"a&lt;b&gt;&amp;&quot;c.swf\">");
    EXPECT_EQ(lines[12],
              "\t<EMBED src=\"a&lt;b&gt;&amp;&quot;c.swf\" quality=high bgcolor=#000000");
    // A line feed in a name is text: the page still has its 21 lines.
    const std::string page = BuildPublishPage(Fields("x\ny", 1, 1, 0));
    size_t breaks = 0;
    for (size_t at = page.find("\r\n"); at != std::string::npos; at = page.find("\r\n", at + 2))
        ++breaks;
    EXPECT_EQ(breaks, 21u);
    EXPECT_NE(page.find("<title>Tavro [x\ny.swi]</title>\r\n"), std::string::npos);
}

TEST(PublishPageTest, PluginHostsAreSettingsButStayHostNames) {
    PublishPageFields f = Fields("m", 1, 1, 0);
    f.codebaseHost = "cabs.example.org:8080";
    f.pluginsPageHost = "evil.example\"><script>";
    const auto lines = Lines(BuildPublishPage(f));
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[7], "\tcodebase=\"http://cabs.example.org:8080/flash2/cabs/"
                        "swflash.cab#version=4,0,0,0\"");
    EXPECT_EQ(lines[15], "\t\tPLUGINSPAGE=\"http://www.example.com/shockwave/download/"
                         "index.cgi?P1_Prod_Version=ShockwaveFlash\">");
}

TEST(PublishPageTest, SizeReadout) {
    EXPECT_EQ(SizeReadout(0), "0 bytes");
    EXPECT_EQ(SizeReadout(10240), "10240 bytes");
    EXPECT_EQ(SizeReadout(10241), "10.0 KB");
    EXPECT_EQ(SizeReadout(15360), "15.0 KB");
    EXPECT_EQ(SizeReadout(5ull * 1024 * 1024 * 1024), "5242880.0 KB");
}

} // namespace
} // namespace tavro
