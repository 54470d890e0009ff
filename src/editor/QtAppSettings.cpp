#include "editor/QtAppSettings.h"

#include "editor/QtText.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace tavro::editor {

QtAppSettings::QtAppSettings()
    : settings_(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tavro"),
                QStringLiteral("Tavro")) {}

QtAppSettings::QtAppSettings(const QString& iniPath) : settings_(iniPath, QSettings::IniFormat) {}

QString QtAppSettings::Key(const std::string& section, const std::string& value) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(value);
}

// Folder values are file names: stored as the system's bytes decoded for Qt, read back the
// same way.
std::string QtAppSettings::GetString(const std::string& section, const std::string& value,
                                     const std::string& fallback) const {
    const QVariant v = settings_.value(Key(section, value));
    if (!v.isValid())
        return fallback;
    return ToFilePath(v.toString());
}

void QtAppSettings::SetString(const std::string& section, const std::string& value,
                              const std::string& text) {
    settings_.setValue(Key(section, value), FromFilePath(text));
}

int QtAppSettings::GetInt(const std::string& section, const std::string& value,
                          int fallback) const {
    bool ok = false;
    const int n = settings_.value(Key(section, value)).toInt(&ok);
    return ok ? n : fallback;
}

void QtAppSettings::SetInt(const std::string& section, const std::string& value, int number) {
    settings_.setValue(Key(section, value), number);
}

std::optional<QRect> QtAppSettings::GetSizedRect(const std::string& section) const {
    const int left = GetInt(section, "Left", -1);
    const int top = GetInt(section, "Top", -1);
    const int width = GetInt(section, "Width", -1);
    const int height = GetInt(section, "Height", -1);
    if (left == -1 || top == -1 || width <= 0 || height <= 0)
        return std::nullopt;
    const QRect rect(left, top, width, height);
    if (!IsOnSomeScreen(rect))
        return std::nullopt;
    return rect;
}

void QtAppSettings::SetSizedRect(const std::string& section, const QRect& rect) {
    SetInt(section, "Left", rect.left());
    SetInt(section, "Top", rect.top());
    SetInt(section, "Width", rect.width());
    SetInt(section, "Height", rect.height());
}

std::optional<QRect> QtAppSettings::GetEdgeRect(const std::string& section) const {
    const int left = GetInt(section, "Left", -1);
    const int top = GetInt(section, "Top", -1);
    const int right = GetInt(section, "Right", -1);
    const int bottom = GetInt(section, "Bottom", -1);
    if (left == -1 || top == -1 || right == -1 || bottom == -1 || right <= left || bottom <= top)
        return std::nullopt;
    const QRect rect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    if (!IsOnSomeScreen(rect))
        return std::nullopt;
    return rect;
}

void QtAppSettings::SetEdgeRect(const std::string& section, const QRect& rect) {
    SetInt(section, "Left", rect.left());
    SetInt(section, "Top", rect.top());
    SetInt(section, "Right", rect.right() + 1);
    SetInt(section, "Bottom", rect.bottom() + 1);
}

bool QtAppSettings::IsOnSomeScreen(const QRect& rect) {
    const int needW = std::min(rect.width(), 32);
    const int needH = std::min(rect.height(), 32);
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(rect);
        if (common.width() >= needW && common.height() >= needH)
            return true;
    }
    return false;
}

} // namespace tavro::editor
