// The clipboard form of one text object: its archive under application/x-tavro-textfxobject,
// and its text as text/plain for other programs. Both are produced only when a program asks for
// them; the archive is taken when the object is copied, so a Cut, which deletes the object right
// after, still pastes what was cut.
#pragma once

#include <QMimeData>

#include <cstdint>
#include <vector>

namespace tavro {
class CTextObj;
}

namespace tavro::editor {

inline constexpr const char* kTextObjMimeType = "application/x-tavro-textfxobject";

class TextObjMimeData : public QMimeData {
    Q_OBJECT
public:
    explicit TextObjMimeData(const CTextObj& obj);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

    // How many times a program asked for the data (tests check that it is rendered lazily).
    int RenderCount() const { return renderCount_; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    std::vector<uint8_t> archive_;
    mutable int renderCount_ = 0;
};

} // namespace tavro::editor
