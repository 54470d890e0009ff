#include "editor/TimelineMenus.h"

#include "effects/ActionCommands.h"
#include "effects/EffectNames.h"

#include <QAction>
#include <QMenu>

namespace tavro::editor {

namespace {

namespace cmd = effect_command;

constexpr EffectMenuEntry kEffectEntries[] = {
    {cmd::kShow, "Show", false},
    {cmd::kHide, "Hide", false},
    {cmd::kTransform, "Transform", false},
    {cmd::kFadeIn, "Fade In", false},
    {cmd::kFadeOut, "Fade Out", false},
    {cmd::kSqueeze, "Squeeze", true},
    {cmd::kExplode, "Explode", true},
    {cmd::kTypewriter, "Typewriter", true},
    {cmd::kWaveLetters, "Wave Letters", true},
    {cmd::kScaleLetters, "Scale Letters", true},
    {cmd::kAlternateLetters, "Alternate Letters", true},
    {cmd::kRevertText, "Revert Text", true},
};

constexpr int kFirstLetterEntry = 5;

QAction* AddCommand(QMenu& menu, const QString& text, int command) {
    QAction* action = menu.addAction(text);
    action->setData(command);
    return action;
}

QString FromView(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void AddActionCommands(QMenu& menu) {
    for (const ActionCommand& c : GetActionCommands()) {
        if (c.kind == ActionCommand::Kind::Action)
            AddCommand(menu, FromView(c.menuText), c.id);
    }
}

} // namespace

std::span<const EffectMenuEntry> EffectMenuEntries() {
    return kEffectEntries;
}

QString EffectCommandText(int command) {
    if (command >= cmd::kSlideInFirst && command < cmd::kSlideInFirst + 8)
        return FromView(LoadEffectName(effect_string::kSlideInFromGroup)) + QLatin1Char(' ') +
               FromView(SlideDirectionName(command - cmd::kSlideInFirst));
    if (command >= cmd::kSlideOutFirst && command < cmd::kSlideOutFirst + 8)
        return FromView(LoadEffectName(effect_string::kSlideOutToGroup)) + QLatin1Char(' ') +
               FromView(SlideDirectionName(command - cmd::kSlideOutFirst));
    for (const EffectMenuEntry& e : kEffectEntries) {
        if (e.command == command)
            return QString::fromLatin1(e.text);
    }
    return {};
}

bool IsLetterEffectCommand(int command) {
    for (const EffectMenuEntry& e : kEffectEntries) {
        if (e.command == command)
            return e.letters;
    }
    return false;
}

int CommandOf(const QAction* action) {
    return action == nullptr ? 0 : action->data().toInt();
}

void FillEffectMenu(QMenu& menu, bool textObject) {
    for (int i = 0; i < kFirstLetterEntry; ++i)
        AddCommand(menu, QString::fromLatin1(kEffectEntries[i].text), kEffectEntries[i].command);
    for (const bool out : {false, true}) {
        const int group = out ? effect_string::kSlideOutToGroup : effect_string::kSlideInFromGroup;
        const int first = out ? cmd::kSlideOutFirst : cmd::kSlideInFirst;
        QMenu* sub = menu.addMenu(FromView(LoadEffectName(group)));
        for (int d = 0; d < 8; ++d)
            AddCommand(*sub, FromView(SlideDirectionName(d)), first + d);
    }
    menu.addSeparator();
    for (const auto& e : std::span(kEffectEntries).subspan(kFirstLetterEntry))
        AddCommand(menu, QString::fromLatin1(e.text), e.command)->setEnabled(textObject);
}

void FillSceneRowMenu(QMenu& menu) {
    AddCommand(menu, QStringLiteral("At Frame"), command_id::kAtFrame);
    AddCommand(menu, QStringLiteral("At Label"), command_id::kAtLabel);
    menu.addSeparator();
    AddActionCommands(menu);
}

void FillAddActionMenu(QMenu& menu, bool scene) {
    if (scene) {
        AddCommand(menu, QStringLiteral("At Frame"), command_id::kAtFrame);
        AddCommand(menu, QStringLiteral("At Label"), command_id::kAtLabel);
    } else {
        for (const ActionCommand& c : GetActionCommands()) {
            if (c.kind == ActionCommand::Kind::ButtonEvent)
                AddCommand(menu, FromView(c.menuText), c.id);
        }
    }
    menu.addSeparator();
    AddActionCommands(menu);
}

} // namespace tavro::editor
