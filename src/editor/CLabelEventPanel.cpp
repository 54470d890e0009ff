#include "editor/CLabelEventPanel.h"

#include "effects/CEventAtLabel.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tavro::editor {

CLabelEventPanel::CLabelEventPanel(CMainDlg& mainWnd, CEventAtLabel& event, Mode mode,
                                   QWidget* parent)
    : CActionPanel(mainWnd, event, mode, parent) {
    setObjectName(QStringLiteral("LabelEventPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* note = new QLabel(QStringLiteral("An At Label event has no settings. It is kept with "
                                           "the scene, but its actions do not run."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
}

QString CLabelEventPanel::Title() const {
    return QStringLiteral("At Label");
}

} // namespace tavro::editor
