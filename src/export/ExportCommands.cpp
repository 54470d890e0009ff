#include "export/ExportCommands.h"

#include "base/AtomicFile.h"
#include "export/AppSettings.h"
#include "export/Html5Page.h"
#include "export/MovieExport.h"
#include "export/PublishPage.h"
#include "export/ShellOpener.h"
#include "model/CDocObj.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavro {
namespace {

std::string Reason(int err) {
    return err != 0 ? std::string(std::strerror(err)) : "write failed";
}

ExportResult WriteMovieFile(CDocObj& doc, const std::string& path) {
    ExportResult result;
    if (!ExportMovieToFile(doc, path, &result.message))
        return result;
    result.ok = true;
    result.files.push_back(path);
    result.message = "Wrote " + path;
    return result;
}

} // namespace

std::string PrivateTestFolder(const std::string& tempRoot, std::string& error) {
    if (tempRoot.empty()) {
        error = "no temporary folder";
        return {};
    }
    const std::string folder =
        CFilePath::WithTrailingSlash(tempRoot) + "tavro-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = folder + ": cannot create the folder (" + Reason(errno) + ")";
        return {};
    }
    // Opened without following a link, then checked on the open handle, so the entry checked is
    // the entry used.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        error =
            folder + ": not a private folder (" +
            (err == ELOOP || err == ENOTDIR ? std::string("a link or not a folder") : Reason(err)) +
            ")";
        return {};
    }
    struct stat st {};
    const bool statted = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (!statted || !S_ISDIR(st.st_mode)) {
        error = folder + ": not a private folder (not a folder)";
        return {};
    }
    if (st.st_uid != ::getuid()) {
        error = folder + ": not a private folder (owned by another user)";
        return {};
    }
    if ((st.st_mode & 077) != 0) {
        error = folder + ": not a private folder (open to other users)";
        return {};
    }
    return folder + "/";
}

ExportCommands::ExportCommands(AppSettings& settings, ShellOpener& shell, std::string tempRoot)
    : settings_(settings), shell_(shell), tempRoot_(std::move(tempRoot)) {}

std::string ExportCommands::BaseName(const CDocObj& doc) {
    const std::string name = CFilePath(doc.GetName()).GetName();
    return name.empty() ? kUntitled : name;
}

std::string ExportCommands::FolderSetting(const char* section) const {
    return settings_.GetString(
        section, "Folder", CFilePath::FromLocation(CFilePath::Location::ProgramFolder).GetFolder());
}

std::string ExportCommands::ExportFolder() const {
    return FolderSetting("Export");
}
std::string ExportCommands::PublishFolder() const {
    return FolderSetting("Publish");
}
std::string ExportCommands::PublishHtml5Folder() const {
    return FolderSetting("PublishHtml5");
}

ExportResult ExportCommands::ExportToSwf(CDocObj& doc, const std::string& chosenPath) {
    if (chosenPath.empty())
        return {false, "No file name was chosen", {}};
    const CFilePath path(chosenPath);
    if (!path.GetDirectory().empty())
        settings_.SetString("Export", "Folder", path.GetDirectory());
    return WriteMovieFile(doc, chosenPath);
}

ExportResult ExportCommands::Publish(CDocObj& doc, const std::string& chosenPath) {
    if (chosenPath.empty())
        return {false, "No file name was chosen", {}};
    CFilePath path(chosenPath);
    path.SetExtension(".html");
    if (!path.GetDirectory().empty())
        settings_.SetString("Publish", "Folder", path.GetDirectory());
    return PublishTo(doc, path.GetFullPath(), &settings_);
}

ExportResult ExportCommands::PublishTo(CDocObj& doc, const std::string& pagePath,
                                       const AppSettings* settings) {
    const CFilePath page(pagePath);
    if (page.GetFileName().empty())
        return {false, pagePath + ": not a file name", {}};
    ExportResult result = WriteMovieFile(doc, page.GetFolder() + page.GetName() + ".swf");
    if (!result.ok)
        return result;

    PublishPageFields fields = PageFieldsOf(doc, page.GetName());
    if (settings != nullptr) {
        fields.codebaseHost = settings->GetString("Publish", "CodebaseHost", fields.codebaseHost);
        fields.pluginsPageHost =
            settings->GetString("Publish", "PluginsPageHost", fields.pluginsPageHost);
    }
    if (std::string error; !SaveFileAtomically(pagePath, BuildPublishPage(fields), error)) {
        result.ok = false;
        result.message = std::move(error);
        return result;
    }
    result.files.push_back(pagePath);
    result.message = "Wrote " + pagePath + " and " + result.files.front();
    return result;
}

ExportResult ExportCommands::PublishHtml5(CDocObj& doc, const std::string& chosenPath) {
    if (chosenPath.empty())
        return {false, "No file name was chosen", {}};
    CFilePath path(chosenPath);
    path.SetExtension(".html");
    if (!path.GetDirectory().empty())
        settings_.SetString("PublishHtml5", "Folder", path.GetDirectory());
    return PublishHtml5To(doc, path.GetFullPath());
}

ExportResult ExportCommands::PublishHtml5To(CDocObj& doc, const std::string& pagePath,
                                            bool fixedSize) {
    const std::vector<uint8_t> swf = ExportMovieToMemory(doc);
    const std::string name = CFilePath(doc.GetName()).GetFileName();
    return WriteHtml5Page(swf, name.empty() ? kUntitled : name, pagePath, fixedSize);
}

ExportResult ExportCommands::WriteHtml5Page(std::span<const uint8_t> swf,
                                            const std::string& movieName,
                                            const std::string& pagePath, bool fixedSize) {
    const CFilePath page(pagePath);
    if (page.GetFileName().empty())
        return {false, pagePath + ": not a file name", {}};
    Html5PageOptions options;
    options.title = page.GetName();
    options.fixedSize = fixedSize;
    Html5PageResult built = BuildHtml5Page(swf, options);
    if (!built.ok)
        return {false, movieName + ": cannot be made a web page: " + built.error, {}};
    if (std::string error; !SaveFileAtomically(pagePath, built.html, error))
        return {false, std::move(error), {}};
    return {true, "Wrote " + pagePath, {pagePath}};
}

ExportResult ExportCommands::OpenWritten(ExportResult result, const CFilePath& toOpen) {
    if (!result.ok)
        return result;
    std::string error;
    if (!shell_.Open(toOpen.GetFolder(), toOpen.GetFileName(), error)) {
        result.ok = false;
        result.message = toOpen.GetFullPath() + ": cannot be opened (" + error + ")";
    }
    return result;
}

std::string ExportCommands::TestFolder(std::string& error) const {
    const std::string root =
        tempRoot_.empty() ? CFilePath::FromLocation(CFilePath::Location::TempFolder).GetFolder()
                          : tempRoot_;
    return PrivateTestFolder(root, error);
}

ExportResult ExportCommands::TestInPlayer(CDocObj& doc) {
    std::string error;
    const std::string folder = TestFolder(error);
    if (folder.empty())
        return {false, error, {}};
    const CFilePath movie(folder + BaseName(doc) + ".swf");
    return OpenWritten(WriteMovieFile(doc, movie.GetFullPath()), movie);
}

ExportResult ExportCommands::TestInBrowser(CDocObj& doc) {
    std::string error;
    const std::string folder = TestFolder(error);
    if (folder.empty())
        return {false, error, {}};
    const CFilePath page(folder + BaseName(doc) + ".html");
    return OpenWritten(PublishTo(doc, page.GetFullPath(), &settings_), page);
}

PlayImage ExportCommands::Play(CDocObj& doc) {
    PlayImage play;
    play.image = ExportMovieToMemory(doc);
    play.sizeText = SizeReadout(play.image.size());
    return play;
}

} // namespace tavro
