#include "editor/CGotoURLPanel.h"

#include "editor/QtText.h"
#include "effects/CActionGotoURL.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

namespace tavro::editor {

CGotoURLPanel::CGotoURLPanel(CMainDlg& mainWnd, CActionGotoURL& action, Mode mode, QWidget* parent)
    : CActionPanel(mainWnd, action, mode, parent), action_(action) {
    setObjectName(QStringLiteral("GotoURLPanel"));
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    url_ = new QLineEdit(this);
    url_->setObjectName(QStringLiteral("URL"));
    target_ = new QComboBox(this);
    target_->setObjectName(QStringLiteral("Target"));
    target_->setEditable(true);
    target_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string_view choice : CActionGotoURL::kTargetChoices)
        target_->addItem(QString::fromLatin1(choice.data(), static_cast<qsizetype>(choice.size())));
    layout->addRow(QStringLiteral("URL:"), url_);
    layout->addRow(QStringLiteral("Target:"), target_);
    WatchTyping(*url_);
    WatchTyping(*target_->lineEdit(), target_);
    // Choosing an entry from the list is a click: it stores at once.
    connect(target_, &QComboBox::activated, this, [this] { StoreOnClick(); });
    Load();
}

QString CGotoURLPanel::Title() const {
    return QStringLiteral("Goto URL");
}

void CGotoURLPanel::Load() {
    loading_ = true;
    url_->setText(FromDocText(action_.GetURL()));
    target_->setCurrentIndex(-1);
    target_->setEditText(FromDocText(action_.GetTarget()));
    loading_ = false;
}

bool CGotoURLPanel::Differs() const {
    return ToDocText(url_->text()) != action_.GetURL() ||
           ToDocText(target_->currentText()) != action_.GetTarget();
}

void CGotoURLPanel::Apply() {
    action_.SetURL(ToDocText(url_->text()));
    action_.SetTarget(ToDocText(target_->currentText()));
}

} // namespace tavro::editor
