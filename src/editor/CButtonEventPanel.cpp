#include "editor/CButtonEventPanel.h"

#include "effects/CEventObj.h"

#include <QCheckBox>
#include <QGridLayout>

namespace tavro::editor {

CButtonEventPanel::CButtonEventPanel(CMainDlg& mainWnd, CEventObj& event, Mode mode,
                                     QWidget* parent)
    : CActionPanel(mainWnd, event, mode, parent), event_(event) {
    setObjectName(QStringLiteral("ButtonEventPanel"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Two columns: the press and release pair first, then the pointer movements.
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const auto& box = CEventObj::kConditionBoxes[i];
        boxes_[i] = new QCheckBox(QString::fromLatin1(box.label), this);
        layout->addWidget(boxes_[i], static_cast<int>(i < 2 ? i : i - 2), i < 2 ? 0 : 1);
        connect(boxes_[i], &QCheckBox::toggled, this, [this] { StoreOnClick(); });
    }
    layout->setRowStretch(5, 1);
    layout->setColumnStretch(2, 1);
    Load();
}

QString CButtonEventPanel::Title() const {
    return QStringLiteral("Button Event");
}

void CButtonEventPanel::Load() {
    loading_ = true;
    for (size_t i = 0; i < boxes_.size(); ++i)
        boxes_[i]->setChecked((event_.GetConditions() & CEventObj::kConditionBoxes[i].bit) != 0);
    loading_ = false;
}

QCheckBox* CButtonEventPanel::BoxOf(int32_t bit) const {
    for (size_t i = 0; i < boxes_.size(); ++i) {
        if (CEventObj::kConditionBoxes[i].bit == bit)
            return boxes_[i];
    }
    return nullptr;
}

int32_t CButtonEventPanel::Conditions() const {
    int32_t value = 0;
    for (size_t i = 0; i < boxes_.size(); ++i) {
        if (boxes_[i]->isChecked())
            value |= CEventObj::kConditionBoxes[i].bit;
    }
    return value;
}

// Bits no box stands for (from a file written elsewhere) are kept as they are.
bool CButtonEventPanel::Differs() const {
    int32_t known = 0;
    for (const auto& box : CEventObj::kConditionBoxes)
        known |= box.bit;
    return (event_.GetConditions() & known) != Conditions();
}

void CButtonEventPanel::Apply() {
    int32_t known = 0;
    for (const auto& box : CEventObj::kConditionBoxes)
        known |= box.bit;
    event_.SetConditions((event_.GetConditions() & ~known) | Conditions());
}

} // namespace tavro::editor
