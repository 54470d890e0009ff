#include "editor/CTransformPage.h"

#include "editor/EffectFieldText.h"
#include "effects/EffectParams.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tavro::editor {

using namespace effect_mode;

namespace {

constexpr int kValueBoxWidth = 80;

// The parameter a row shows from a set.
double RowValue(const CEffectObj::TransformSet& set, TransformRow row) {
    switch (row) {
    case TransformRow::XPosition:
        return set.move.x;
    case TransformRow::YPosition:
        return set.move.y;
    case TransformRow::HorizontalScale:
        return set.scale.x;
    case TransformRow::VerticalScale:
        return set.scale.y;
    case TransformRow::HorizontalAxis:
        return set.angles.x;
    case TransformRow::VerticalAxis:
        return set.angles.y;
    case TransformRow::Alpha:
        return set.alpha;
    }
    return 0.0;
}

int32_t RowMode(const CEffectObj::TransformSet& set, TransformRow row) {
    switch (row) {
    case TransformRow::XPosition:
    case TransformRow::YPosition:
        return set.moveMode;
    case TransformRow::HorizontalScale:
    case TransformRow::VerticalScale:
        return set.scaleMode;
    case TransformRow::HorizontalAxis:
    case TransformRow::VerticalAxis:
        return set.rotateMode;
    case TransformRow::Alpha:
        return set.alphaMode;
    }
    return 0;
}

} // namespace

CTransformPage::Group CTransformPage::GroupOf(TransformRow row) {
    switch (row) {
    case TransformRow::XPosition:
    case TransformRow::YPosition:
        return kMove;
    case TransformRow::HorizontalScale:
    case TransformRow::VerticalScale:
        return kScale;
    case TransformRow::HorizontalAxis:
    case TransformRow::VerticalAxis:
        return kRotate;
    case TransformRow::Alpha:
        break;
    }
    return kAlpha;
}

CTransformPage::CTransformPage(TransformTab menus, QWidget* parent)
    : QWidget(parent), menus_(menus) {
    const bool start = menus == TransformTab::StartAt;
    setObjectName(start ? QStringLiteral("StartAtPage") : QStringLiteral("TransformPage"));

    auto makeGroup = [this](const char* startCaption, const char* caption, const char* name) {
        auto* box = new QGroupBox(
            QString::fromLatin1(menus_ == TransformTab::StartAt ? startCaption : caption), this);
        box->setObjectName(QString::fromLatin1(name));
        return box;
    };
    moveGroup_ = makeGroup("Start Position", "Move", "MoveGroup");
    scaleGroup_ = makeGroup("Start Scale", "Scale", "ScaleGroup");
    rotateGroup_ = makeGroup("Start Angle", "Rotate", "RotateGroup");

    auto* moveGrid = new QGridLayout(moveGroup_);
    BuildRow(TransformRow::XPosition, QStringLiteral("X:"), {}, moveGroup_, moveGrid, 0);
    BuildRow(TransformRow::YPosition, QStringLiteral("Y:"), {}, moveGroup_, moveGrid, 1);

    const QString percent = QStringLiteral("%");
    const QString degrees = QString::fromUtf8("\u00B0");
    auto* scaleGrid = new QGridLayout(scaleGroup_);
    scaleUniform_ = new QCheckBox(QStringLiteral("Uniform"), scaleGroup_);
    scaleUniform_->setObjectName(QStringLiteral("ScaleUniform"));
    scaleGrid->addWidget(scaleUniform_, 0, 0, 1, 4);
    BuildRow(TransformRow::HorizontalScale, QStringLiteral("Horizontal:"), percent, scaleGroup_,
             scaleGrid, 1);
    BuildRow(TransformRow::VerticalScale, QStringLiteral("Vertical:"), percent, scaleGroup_,
             scaleGrid, 2);

    auto* rotateGrid = new QGridLayout(rotateGroup_);
    rotateUniform_ = new QCheckBox(QStringLiteral("Uniform"), rotateGroup_);
    rotateUniform_->setObjectName(QStringLiteral("RotateUniform"));
    rotateGrid->addWidget(rotateUniform_, 0, 0, 1, 4);
    BuildRow(TransformRow::HorizontalAxis, QStringLiteral("Horizontal Axis:"), degrees,
             rotateGroup_, rotateGrid, 1);
    BuildRow(TransformRow::VerticalAxis, QStringLiteral("Vertical Axis:"), degrees, rotateGroup_,
             rotateGrid, 2);

    auto* alphaGrid = new QGridLayout;
    BuildRow(TransformRow::Alpha,
             start ? QStringLiteral("Start Alpha:") : QStringLiteral("Alpha Fade:"), percent, this,
             alphaGrid, 0);

    // Every label as wide as the widest, every button as wide as the widest, so the columns line
    // up from group to group.
    int labelWidth = 0;
    int buttonWidth = 0;
    for (const Row& r : rows_) {
        labelWidth = std::max(labelWidth, r.label->sizeHint().width());
        buttonWidth = std::max(buttonWidth, r.button->minimumWidth());
    }
    for (const Row& r : rows_) {
        r.label->setFixedWidth(labelWidth);
        r.button->setFixedWidth(buttonWidth);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(moveGroup_);
    layout->addWidget(scaleGroup_);
    layout->addWidget(rotateGroup_);
    auto* alphaIndent = new QHBoxLayout;
    alphaIndent->setContentsMargins(style()->pixelMetric(QStyle::PM_LayoutLeftMargin), 0,
                                    style()->pixelMetric(QStyle::PM_LayoutRightMargin), 0);
    alphaIndent->addLayout(alphaGrid);
    layout->addLayout(alphaIndent);
    layout->addStretch(1);

    connect(scaleUniform_, &QCheckBox::clicked, this, [this] {
        Touch(kScale);
        UpdateVisibility();
    });
    connect(rotateUniform_, &QCheckBox::clicked, this, [this] {
        Touch(kRotate);
        UpdateVisibility();
    });
    Load({}, 0);
}

void CTransformPage::BuildRow(TransformRow row, const QString& label, const QString& unit,
                              QWidget* parent, QGridLayout* grid, int gridRow) {
    Row& r = rows_[Index(row)];
    const QString key = QString::number(static_cast<int>(row));
    r.label = new QLabel(label, parent);
    r.label->setObjectName(QStringLiteral("RowLabel") + key);
    r.button = new QToolButton(parent);
    r.button->setObjectName(QStringLiteral("RowMenu") + key);
    r.button->setPopupMode(QToolButton::InstantPopup);
    r.button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* menu = new QMenu(r.button);
    int widest = 0;
    const QFontMetrics metrics(r.button->font());
    for (const ModeMenuEntry& entry : ModeMenu(menus_, row)) {
        QAction* action = menu->addAction(QString::fromLatin1(entry.label));
        action->setData(entry.command);
        widest = std::max(widest, metrics.horizontalAdvance(action->text()));
        const int command = entry.command;
        connect(action, &QAction::triggered, this, [this, row, command] {
            Touch(GroupOf(row));
            SetRowCommand(row, command);
        });
    }
    r.button->setMenu(menu);
    // Room for the longest entry and the menu arrow, so the row does not change width.
    r.button->setMinimumWidth(widest + 36);
    r.button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    r.value = new QLineEdit(parent);
    r.value->setObjectName(QStringLiteral("RowValue") + key);
    r.value->setFixedWidth(kValueBoxWidth);
    connect(r.value, &QLineEdit::textEdited, this, [this, row] { Touch(GroupOf(row)); });
    r.unit = new QLabel(unit, parent);
    r.unit->setObjectName(QStringLiteral("RowUnit") + key);
    r.unit->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("%")) + 4);
    r.label->setBuddy(r.button);
    grid->addWidget(r.label, gridRow, 0, Qt::AlignLeft);
    grid->addWidget(r.button, gridRow, 1, Qt::AlignLeft);
    grid->addWidget(r.value, gridRow, 2, Qt::AlignLeft);
    grid->addWidget(r.unit, gridRow, 3, Qt::AlignLeft);
    // The room left over goes after the unit, so the columns line up from group to group.
    grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), gridRow, 4);
    grid->setColumnStretch(4, 1);
}

void CTransformPage::Load(const CEffectObj::TransformSet& set, uint32_t hiddenRows) {
    loaded_ = set;
    hiddenRows_ = hiddenRows;
    touched_ = {};
    scaleUniform_->setChecked(set.scaleUniform != 0);
    rotateUniform_->setChecked(set.rotateUniform != 0);
    for (int i = 0; i < kTransformRowCount; ++i) {
        const auto row = static_cast<TransformRow>(i);
        const double value = RowValue(set, row);
        rows_[Index(row)].value->setText(NumberFieldText(value));
        SetRowCommand(row, DecomposeRowMode(menus_, row, RowMode(set, row), value));
    }
    UpdateVisibility();
}

int CTransformPage::Command(TransformRow row) const {
    return rows_[Index(row)].command;
}

void CTransformPage::ChooseCommand(TransformRow row, int command) {
    if (!MenuOffers(menus_, row, command))
        return;
    Touch(GroupOf(row));
    SetRowCommand(row, command);
}

void CTransformPage::SetRowCommand(TransformRow row, int command) {
    Row& r = rows_[Index(row)];
    r.command = command;
    const char* label = ModeMenuLabel(menus_, row, command);
    r.button->setText(QString::fromLatin1(label != nullptr ? label : "Unchanged"));
    UpdateVisibility();
}

bool CTransformPage::IsRowShown(TransformRow row) const {
    if ((hiddenRows_ & CEffectObj::RowBit(row)) != 0)
        return false;
    if (row == TransformRow::VerticalScale && scaleUniform_->isChecked())
        return false;
    if (row == TransformRow::VerticalAxis && rotateUniform_->isChecked())
        return false;
    return true;
}

void CTransformPage::UpdateVisibility() {
    for (int i = 0; i < kTransformRowCount; ++i) {
        const auto row = static_cast<TransformRow>(i);
        const Row& r = rows_[Index(row)];
        const bool shown = IsRowShown(row);
        const bool takesValue = shown && CommandTakesValue(r.command);
        r.label->setHidden(!shown);
        r.button->setHidden(!shown);
        r.value->setHidden(!takesValue);
        r.unit->setHidden(!takesValue);
    }
    const auto bothHidden = [this](TransformRow a, TransformRow b) {
        return (hiddenRows_ & CEffectObj::RowBit(a)) != 0 &&
               (hiddenRows_ & CEffectObj::RowBit(b)) != 0;
    };
    moveGroup_->setHidden(bothHidden(TransformRow::XPosition, TransformRow::YPosition));
    scaleGroup_->setHidden(bothHidden(TransformRow::HorizontalScale, TransformRow::VerticalScale));
    rotateGroup_->setHidden(bothHidden(TransformRow::HorizontalAxis, TransformRow::VerticalAxis));
}

bool CTransformPage::ReadValue(TransformRow row, double& value, QString* message,
                               QLineEdit** bad) const {
    const Row& r = rows_[Index(row)];
    // A row the page does not show keeps the value it was loaded with.
    if (!IsRowShown(row) || !CommandTakesValue(r.command))
        return true;
    const ParamCheck check = ValidateParam(r.value->text().toStdString(), ParamRange::AnyNumber());
    if (!check.ok) {
        if (message != nullptr)
            *message = QString::fromStdString(check.message);
        if (bad != nullptr)
            *bad = r.value;
        return false;
    }
    value = check.value;
    return true;
}

std::optional<CEffectObj::TransformSet> CTransformPage::Read(QString* message,
                                                             QLineEdit** bad) const {
    CEffectObj::TransformSet out = loaded_;
    const Row& x = rows_[Index(TransformRow::XPosition)];
    const Row& y = rows_[Index(TransformRow::YPosition)];
    const Row& hScale = rows_[Index(TransformRow::HorizontalScale)];
    const Row& vScale = rows_[Index(TransformRow::VerticalScale)];
    const Row& hAxis = rows_[Index(TransformRow::HorizontalAxis)];
    const Row& vAxis = rows_[Index(TransformRow::VerticalAxis)];
    const Row& alpha = rows_[Index(TransformRow::Alpha)];

    if (touched_[kMove]) {
        CDoublePoint v = loaded_.move;
        if (!ReadValue(TransformRow::XPosition, v.x, message, bad) ||
            !ReadValue(TransformRow::YPosition, v.y, message, bad))
            return std::nullopt;
        out.moveMode = BuildModeAndValues(x.command, y.command, v);
        out.move = v;
    }
    if (touched_[kScale]) {
        const bool uniform = scaleUniform_->isChecked();
        CDoublePoint v = loaded_.scale;
        if (!ReadValue(TransformRow::HorizontalScale, v.x, message, bad) ||
            (!uniform && !ReadValue(TransformRow::VerticalScale, v.y, message, bad)))
            return std::nullopt;
        out.scaleMode =
            BuildModeAndValues(hScale.command, uniform ? hScale.command : vScale.command, v);
        if (uniform)
            v.y = UniformScaleSecondValue(v.x);
        out.scaleUniform = uniform ? 1 : 0;
        out.scale = v;
    }
    if (touched_[kRotate]) {
        const bool uniform = rotateUniform_->isChecked();
        CDoublePoint v = loaded_.angles;
        if (!ReadValue(TransformRow::HorizontalAxis, v.x, message, bad) ||
            (!uniform && !ReadValue(TransformRow::VerticalAxis, v.y, message, bad)))
            return std::nullopt;
        out.rotateMode =
            BuildModeAndValues(hAxis.command, uniform ? hAxis.command : vAxis.command, v);
        if (uniform)
            v.y = UniformRotationSecondValue(hAxis.command, v.x);
        out.rotateUniform = uniform ? 1 : 0;
        out.angles = v;
    }
    if (touched_[kAlpha]) {
        CDoublePoint v{loaded_.alpha, loaded_.alpha};
        if (!ReadValue(TransformRow::Alpha, v.x, message, bad))
            return std::nullopt;
        v.y = v.x;
        // Both axes alike: the word is 0, 1, 2, 72 or 144.
        out.alphaMode = BuildModeAndValues(alpha.command, alpha.command, v);
        out.alpha = v.x;
    }
    return out;
}

} // namespace tavro::editor
