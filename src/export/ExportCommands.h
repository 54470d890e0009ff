// The export commands of the editor as logic without a window: Export To SWF, Test In Player,
// Test In Browser, Publish and Play. The editor shows the dialogs, commits the active page and
// shows the wait cursor; it passes the chosen file name in and shows the returned message.
#pragma once

#include "export/CFilePath.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tavro {

class AppSettings;
class CDocObj;
class ShellOpener;

// Dialog texts of the two save dialogs (filters in "text|pattern|...||" form).
inline constexpr const char* kExportFilter = "Shockwave Flash (*.swf)|*.swf|All Files (*.*)|*.*||";
inline constexpr const char* kExportTitle = "Export to SWF";
inline constexpr const char* kPublishFilter =
    "HTML (*.html;*.htm)|*.html;*.htm|All Files (*.*)|*.*||";
inline constexpr const char* kPublishTitle = "Publish Tavro Movie";
inline constexpr const char* kPublishHtml5Title = "Publish for Web Browsers";
inline constexpr const char* kUntitled = "Untitled";

struct ExportResult {
    bool ok = false;
    // What happened, for the status line or a message box: the files written, or the file that
    // failed and why.
    std::string message;
    // Full paths of the files written, the movie first.
    std::vector<std::string> files;
};

struct PlayImage {
    std::vector<uint8_t> image; // the preview takes its own copy
    std::string sizeText;       // for the "SWF Size:" read-out
};

// The folder, inside `tempRoot`, that holds this user's test files: "tavro-<uid>/", created with
// mode 0700. An existing entry is used only when it is a real folder (not a link) owned by the
// user with no group or other permissions. Empty, with a reason in `error`, otherwise.
std::string PrivateTestFolder(const std::string& tempRoot, std::string& error);

class ExportCommands {
public:
    // `tempRoot` is the folder the private test folder goes in; empty means the system's
    // temporary folder.
    ExportCommands(AppSettings& settings, ShellOpener& shell, std::string tempRoot = {});

    // The name component of the document's name, or "Untitled" when it has none.
    static std::string BaseName(const CDocObj& doc);

    // Initial folder and file name of the Export and Publish dialogs. The folders come from
    // "Export"/"Folder" and "Publish"/"Folder", by default the program's folder.
    std::string ExportFolder() const;
    std::string PublishFolder() const;
    // The folder of the web page dialog, from "PublishHtml5"/"Folder".
    std::string PublishHtml5Folder() const;
    static std::string ExportFileName(const CDocObj& doc) { return BaseName(doc) + ".swf"; }
    static std::string PublishFileName(const CDocObj& doc) { return BaseName(doc) + ".html"; }

    // Writes the movie to the chosen file and remembers its folder under "Export"/"Folder".
    ExportResult ExportToSwf(CDocObj& doc, const std::string& chosenPath);
    // The page goes to the chosen path with its extension forced to ".html", the movie beside it
    // as name + ".swf"; the folder is remembered under "Publish"/"Folder".
    ExportResult Publish(CDocObj& doc, const std::string& chosenPath);
    // Writes the movie's web page (one HTML file that plays it without a plug-in) to the chosen
    // path with its extension forced to ".html"; the folder is remembered under
    // "PublishHtml5"/"Folder".
    ExportResult PublishHtml5(CDocObj& doc, const std::string& chosenPath);
    // Writes base name + ".swf" to the private test folder and opens it.
    ExportResult TestInPlayer(CDocObj& doc);
    // Publishes base name + ".html" (and ".swf") in the private test folder and opens the page.
    ExportResult TestInBrowser(CDocObj& doc);
    // The in-memory image for the preview window and its size read-out.
    static PlayImage Play(CDocObj& doc);

    // Writes the page at `pagePath` as it stands and the movie beside it (folder + page name +
    // ".swf"); the movie first, so a page never refers to a movie that failed. Used by Publish,
    // Test In Browser and the command-line tool. The plug-in URL hosts come from `settings`
    // ("Publish"/"CodebaseHost" and "Publish"/"PluginsPageHost") when given.
    static ExportResult PublishTo(CDocObj& doc, const std::string& pagePath,
                                  const AppSettings* settings = nullptr);

    // Writes the web page of the movie at `pagePath` as it stands, made from the movie's export.
    // `fixedSize` keeps the stage at its pixel size instead of fitting it to the window.
    static ExportResult PublishHtml5To(CDocObj& doc, const std::string& pagePath,
                                       bool fixedSize = false);
    // The same from the bytes of an SWF movie named `movieName` (for messages). A movie that
    // cannot be a page writes nothing; an earlier page stays as it was.
    static ExportResult WriteHtml5Page(std::span<const uint8_t> swf, const std::string& movieName,
                                       const std::string& pagePath, bool fixedSize);

private:
    std::string FolderSetting(const char* section) const;
    std::string TestFolder(std::string& error) const;
    ExportResult OpenWritten(ExportResult result, const CFilePath& toOpen);

    AppSettings& settings_;
    ShellOpener& shell_;
    std::string tempRoot_;
};

} // namespace tavro
