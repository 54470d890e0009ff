#include "editor/CFrameEventPanel.h"

#include "editor/CMainDlg.h"
#include "editor/IntegerField.h"
#include "effects/CEventAtFrame.h"

#include <QFormLayout>
#include <QLineEdit>

namespace tavro::editor {

namespace {
constexpr int kMin = CEventAtFrame::kMinFrame;
constexpr int kMax = CEventAtFrame::kMaxFrame;
} // namespace

CFrameEventPanel::CFrameEventPanel(CMainDlg& mainWnd, CEventAtFrame& event, Mode mode,
                                   QWidget* parent)
    : CActionPanel(mainWnd, event, mode, parent), event_(event) {
    setObjectName(QStringLiteral("FrameEventPanel"));
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    frame_ = new QLineEdit(this);
    frame_->setObjectName(QStringLiteral("AtFrame"));
    SetUpIntegerEdit(*frame_, kMin, kMax);
    frame_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    layout->addRow(QStringLiteral("At Frame:"), frame_);
    WatchTyping(*frame_);
    Load();
}

QString CFrameEventPanel::Title() const {
    return QStringLiteral("At Frame");
}

void CFrameEventPanel::Load() {
    loading_ = true;
    frame_->setText(QString::number(event_.GetFrame()));
    loading_ = false;
}

bool CFrameEventPanel::Validate() {
    return ReadIntegerOrComplain(*frame_, kMin, kMax, MainWnd().Dialogs(), this).has_value();
}

bool CFrameEventPanel::Differs() const {
    const auto value = ParseInteger(frame_->text(), kMin, kMax);
    return value && *value != event_.GetFrame();
}

void CFrameEventPanel::Apply() {
    if (const auto value = ParseInteger(frame_->text(), kMin, kMax))
        event_.SetFrame(*value);
}

} // namespace tavro::editor
