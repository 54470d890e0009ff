#include "editor/CActionPanelDlg.h"

#include "editor/CActionPanel.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace tavro::editor {

namespace {
CActionPanelDlg::Runner& TheRunner() {
    static CActionPanelDlg::Runner runner;
    return runner;
}
} // namespace

void CActionPanelDlg::SetRunner(Runner runner) {
    TheRunner() = std::move(runner);
}

CActionPanelDlg::CActionPanelDlg(CMainDlg& mainWnd, CTavroObj& item, bool recordUndo,
                                 QWidget* parent)
    : QDialog(parent), recordUndo_(recordUndo) {
    setObjectName(QStringLiteral("ActionPanelDialog"));
    auto* layout = new QVBoxLayout(this);
    panel_ = CreateActionPanel(mainWnd, item, CActionPanel::Mode::Dialog, this);
    if (panel_ != nullptr) {
        setWindowTitle(panel_->Title());
        layout->addWidget(panel_, 1);
    }
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CActionPanelDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CActionPanelDlg::reject);
    setMinimumWidth(320);
}

bool CActionPanelDlg::Run() {
    if (TheRunner())
        return TheRunner()(*this) == QDialog::Accepted;
    return exec() == QDialog::Accepted;
}

// A bad number keeps the dialog open with the box focused.
void CActionPanelDlg::accept() {
    if (panel_ != nullptr) {
        if (!panel_->Validate())
            return;
        panel_->Store(recordUndo_);
    }
    QDialog::accept();
}

} // namespace tavro::editor
