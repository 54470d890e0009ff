// A file path split into drive, directory, name and extension, or built from a special location
// of the system. On Linux the drive is always empty; the directory keeps its leading and trailing
// "/", the extension its dot.
#pragma once

#include <string>
#include <string_view>

namespace tavro {

class CFilePath {
public:
    enum class Location {
        ProgramFile = 1,   // the running program's own file
        ProgramFolder = 2, // the folder of the program (name and extension empty)
        TempFolder = 5,    // the temporary folder
        Desktop = 6,       // the user's Desktop folder
        Favorites = 7,     // the user's Favorites folder
        NewTempFile = 8,   // a new, empty file in the temporary folder (created, so reserved)
    };

    CFilePath() = default;
    // Splits a path. The extension begins at the last dot of the final component, unless that
    // dot is its first character (".profile" is a name without extension).
    explicit CFilePath(std::string_view fullPath);

    // The path of a special location; an empty path when the system cannot say. `prefix` names
    // the new temporary file ("~" when empty).
    static CFilePath FromLocation(Location location, std::string_view prefix = {});

    const std::string& GetDrive() const { return drive_; }
    const std::string& GetDirectory() const { return directory_; }
    const std::string& GetName() const { return name_; }
    const std::string& GetExtension() const { return extension_; }

    std::string GetFullPath() const { return drive_ + directory_ + name_ + extension_; }
    std::string GetFolder() const { return drive_ + directory_; }
    std::string GetFileName() const { return name_ + extension_; }
    bool IsEmpty() const { return GetFullPath().empty(); }

    void SetName(std::string name) { name_ = std::move(name); }
    void SetExtension(std::string extension) { extension_ = std::move(extension); }

    // A folder path with exactly one trailing "/" added when missing ("" stays "").
    static std::string WithTrailingSlash(std::string folder);

private:
    std::string drive_;
    std::string directory_;
    std::string name_;
    std::string extension_;
};

} // namespace tavro
