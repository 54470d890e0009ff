// The per-user settings of the editor: an INI file under the XDG config folder
// ("Tavro/Tavro.ini"), with sections and value names as the export commands and windows use
// them ("Movie"/"Folder", "Dialog"/"Left", ...).
#pragma once

#include "export/AppSettings.h"

#include <QRect>
#include <QSettings>

#include <optional>

namespace tavro::editor {

class QtAppSettings : public AppSettings {
public:
    QtAppSettings();
    // A settings file at an explicit path (tests).
    explicit QtAppSettings(const QString& iniPath);

    std::string GetString(const std::string& section, const std::string& value,
                          const std::string& fallback = {}) const override;
    void SetString(const std::string& section, const std::string& value,
                   const std::string& text) override;

    // An integer value, or `fallback` when absent or not a number.
    int GetInt(const std::string& section, const std::string& value, int fallback) const;
    void SetInt(const std::string& section, const std::string& value, int number);

    // The window rectangle stored as "Left", "Top", "Width", "Height" (the main window). None
    // when a value is missing or -1, the size is empty, or the rectangle meets no screen.
    std::optional<QRect> GetSizedRect(const std::string& section) const;
    void SetSizedRect(const std::string& section, const QRect& rect);
    // The same for "Left", "Top", "Right", "Bottom" (the stage window).
    std::optional<QRect> GetEdgeRect(const std::string& section) const;
    void SetEdgeRect(const std::string& section, const QRect& rect);

    // True when enough of `rect` lies on one of the current screens to grab it (a 32 × 32
    // square at least, or all of a smaller rectangle).
    static bool IsOnSomeScreen(const QRect& rect);

    void Sync() { settings_.sync(); }
    QString FileName() const { return settings_.fileName(); }

private:
    static QString Key(const std::string& section, const std::string& value);

    mutable QSettings settings_;
};

} // namespace tavro::editor
