#include "editor/TextObjMimeData.h"

#include "editor/QtText.h"
#include "model/Archive.h"
#include "model/CTextObj.h"

namespace tavro::editor {

TextObjMimeData::TextObjMimeData(const CTextObj& obj) : archive_(SaveObjectToMemory(obj)) {}

QStringList TextObjMimeData::formats() const {
    return {QString::fromLatin1(kTextObjMimeType), QStringLiteral("text/plain")};
}

bool TextObjMimeData::hasFormat(const QString& mimeType) const {
    return formats().contains(mimeType);
}

QVariant TextObjMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (mimeType == QLatin1String(kTextObjMimeType)) {
        ++renderCount_;
        return QByteArray(reinterpret_cast<const char*>(archive_.data()),
                          static_cast<qsizetype>(archive_.size()));
    }
    if (mimeType == QLatin1String("text/plain")) {
        ++renderCount_;
        CTextObj obj;
        try {
            LoadObjectFromMemory(archive_, obj);
        } catch (const ArchiveError&) {
            return {};
        }
        return FromDocText(obj.GetText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    return {};
}

} // namespace tavro::editor
