#include "effects/EffectModes.h"

namespace tavro {

using namespace effect_mode;

namespace {

// The per-axis bits of one axis: add, subtract, set.
struct AxisBits {
    int32_t add, subtract, set;
};
constexpr AxisBits kFirstBits{kFirstAdd, kFirstSubtract, kFirstSet};
constexpr AxisBits kSecondBits{kSecondAdd, kSecondSubtract, kSecondSet};

AxisOp AxisOpOf(int32_t mode, const AxisBits& bits) {
    if (mode == kSetBoth || (mode & bits.set) != 0)
        return AxisOp::Set;
    if (mode == kAddBoth || (mode & bits.add) != 0)
        return AxisOp::Add;
    if ((mode & bits.subtract) != 0)
        return AxisOp::Subtract;
    return AxisOp::Unchanged;
}

int32_t CommandBits(int command, const AxisBits& bits) {
    switch (CommandOp(command)) {
    case AxisOp::Add:
        return bits.add;
    case AxisOp::Subtract:
        return bits.subtract;
    case AxisOp::Set:
        return bits.set;
    case AxisOp::Unchanged:
        break;
    }
    return 0;
}

int CommandOfOp(AxisOp op) {
    switch (op) {
    case AxisOp::Add:
        return kCmdAdd;
    case AxisOp::Subtract:
        return kCmdSubtract;
    case AxisOp::Set:
        return kCmdSet;
    case AxisOp::Unchanged:
        break;
    }
    return kCmdUnchanged;
}

int DisplayCommand(AxisOp op, double value, bool offersZeroAnd100) {
    if (op == AxisOp::Set && offersZeroAnd100) {
        if (value == 0.0)
            return kCmdSetToZero;
        if (value == 100.0)
            return kCmdSetTo100;
    }
    return CommandOfOp(op);
}

// ---- Menus ----

constexpr ModeMenuEntry kStartX[] = {{"Unchanged", kCmdUnchanged},
                                     {"X Co-ordinate of", kCmdSet},
                                     {"Jump Right by", kCmdAdd},
                                     {"Jump Left by", kCmdSubtract}};
constexpr ModeMenuEntry kStartY[] = {{"Unchanged", kCmdUnchanged},
                                     {"Y Co-ordinate of", kCmdSet},
                                     {"Jump Down by", kCmdAdd},
                                     {"Jump Up by", kCmdSubtract}};
constexpr ModeMenuEntry kStartScale[] = {
    {"Unchanged", kCmdUnchanged}, {"Scale Factor of", kCmdSet}, {"Unscaled (100%)", kCmdSetTo100}};
constexpr ModeMenuEntry kStartAxis[] = {
    {"Unchanged", kCmdUnchanged}, {"Not Rotated", kCmdSetToZero}, {"Angle of", kCmdSet}};
constexpr ModeMenuEntry kStartAlpha[] = {{"Unchanged", kCmdUnchanged},
                                         {"100% Transparent", kCmdSetToZero},
                                         {"100% Opaque", kCmdSetTo100},
                                         {"Alpha Value of", kCmdSet}};

constexpr ModeMenuEntry kMoveX[] = {{"Unchanged", kCmdUnchanged},
                                    {"Move Right by", kCmdAdd},
                                    {"Move Left by", kCmdSubtract},
                                    {"Move to X Coord", kCmdSet}};
constexpr ModeMenuEntry kMoveY[] = {{"Unchanged", kCmdUnchanged},
                                    {"Move Down by", kCmdAdd},
                                    {"Move Up by", kCmdSubtract},
                                    {"Move to Y Coord", kCmdSet}};
constexpr ModeMenuEntry kScale[] = {{"Unchanged", kCmdUnchanged},
                                    {"Increase Scale by", kCmdAdd},
                                    {"Decrease Scale by", kCmdSubtract},
                                    {"Resize to Scale of", kCmdSet},
                                    {"Resize back to 100%", kCmdSetTo100}};
constexpr ModeMenuEntry kRotate[] = {{"Unchanged", kCmdUnchanged},
                                     {"Rotate CW by", kCmdAdd},
                                     {"Rotate CCW by", kCmdSubtract},
                                     {"Rotate to Angle of", kCmdSet},
                                     {"Rotate back to Zero", kCmdSetToZero}};
constexpr ModeMenuEntry kAlpha[] = {
    {"Unchanged", kCmdUnchanged},        {"Fade In to 100%", kCmdSetTo100},
    {"Fade Out to Zero", kCmdSetToZero}, {"Fade to Alpha value", kCmdSet},
    {"Increase Alpha by", kCmdAdd},      {"Decrease Alpha by", kCmdSubtract}};

} // namespace

AxisOp FirstAxisOp(int32_t mode) {
    return AxisOpOf(mode, kFirstBits);
}

AxisOp SecondAxisOp(int32_t mode) {
    return AxisOpOf(mode, kSecondBits);
}

double ApplyAxisOp(AxisOp op, double base, double value) {
    switch (op) {
    case AxisOp::Set:
        return value;
    case AxisOp::Add:
        return base + value;
    case AxisOp::Subtract:
        return base - value;
    case AxisOp::Unchanged:
        break;
    }
    return base;
}

CDoublePoint ApplyMode(int32_t mode, const CDoublePoint& base, const CDoublePoint& value) {
    return {ApplyAxisOp(FirstAxisOp(mode), base.x, value.x),
            ApplyAxisOp(SecondAxisOp(mode), base.y, value.y)};
}

double ApplyFirstAxis(int32_t mode, double base, double value) {
    return ApplyAxisOp(FirstAxisOp(mode), base, value);
}

bool IsSetMode(int32_t mode) {
    return mode == kSetBoth || ((mode & kFirstSet) != 0 && (mode & kSecondSet) != 0);
}

bool IsAddMode(int32_t mode) {
    return mode == kAddBoth || ((mode & kFirstAdd) != 0 && (mode & kSecondAdd) != 0);
}

bool IsSubtractMode(int32_t mode) {
    return (mode & kFirstSubtract) != 0 && (mode & kSecondSubtract) != 0;
}

AxisOp CommandOp(int command) {
    switch (command) {
    case kCmdAdd:
        return AxisOp::Add;
    case kCmdSubtract:
        return AxisOp::Subtract;
    case kCmdSet:
    case kCmdSetToZero:
    case kCmdSetTo100:
        return AxisOp::Set;
    default:
        return AxisOp::Unchanged;
    }
}

bool CommandTakesValue(int command) {
    return command == kCmdAdd || command == kCmdSubtract || command == kCmdSet;
}

int32_t BuildMode(int firstCommand, int secondCommand) {
    if (firstCommand == secondCommand) {
        if (firstCommand == kCmdUnchanged)
            return kUnchanged;
        if (firstCommand == kCmdAdd)
            return kAddBoth;
        if (firstCommand == kCmdSet)
            return kSetBoth;
    }
    return CommandBits(firstCommand, kFirstBits) | CommandBits(secondCommand, kSecondBits);
}

int32_t BuildModeAndValues(int firstCommand, int secondCommand, CDoublePoint& values) {
    if (firstCommand == kCmdSetToZero)
        values.x = 0.0;
    else if (firstCommand == kCmdSetTo100)
        values.x = 100.0;
    if (secondCommand == kCmdSetToZero)
        values.y = 0.0;
    else if (secondCommand == kCmdSetTo100)
        values.y = 100.0;
    return BuildMode(firstCommand, secondCommand);
}

std::pair<int, int> DecomposeMode(int32_t mode, const CDoublePoint& values, bool offersZeroAnd100) {
    return {DisplayCommand(FirstAxisOp(mode), values.x, offersZeroAnd100),
            DisplayCommand(SecondAxisOp(mode), values.y, offersZeroAnd100)};
}

double UniformScaleSecondValue(double firstValue) {
    return firstValue;
}

double UniformRotationSecondValue(int command, double firstValue) {
    return command == kCmdSet || command == kCmdSetToZero ? firstValue + 90.0 : firstValue;
}

std::span<const ModeMenuEntry> ModeMenu(TransformTab tab, TransformRow row) {
    const bool start = tab == TransformTab::StartAt;
    switch (row) {
    case TransformRow::XPosition:
        return start ? std::span<const ModeMenuEntry>(kStartX) : kMoveX;
    case TransformRow::YPosition:
        return start ? std::span<const ModeMenuEntry>(kStartY) : kMoveY;
    case TransformRow::HorizontalScale:
    case TransformRow::VerticalScale:
        return start ? std::span<const ModeMenuEntry>(kStartScale) : kScale;
    case TransformRow::HorizontalAxis:
    case TransformRow::VerticalAxis:
        return start ? std::span<const ModeMenuEntry>(kStartAxis) : kRotate;
    case TransformRow::Alpha:
        return start ? std::span<const ModeMenuEntry>(kStartAlpha) : kAlpha;
    }
    return {};
}

const char* ModeMenuLabel(TransformTab tab, TransformRow row, int command) {
    for (const ModeMenuEntry& entry : ModeMenu(tab, row)) {
        if (entry.command == command)
            return entry.label;
    }
    return nullptr;
}

bool MenuOffers(TransformTab tab, TransformRow row, int command) {
    return ModeMenuLabel(tab, row, command) != nullptr;
}

bool IsSecondAxisRow(TransformRow row) {
    return row == TransformRow::YPosition || row == TransformRow::VerticalScale ||
           row == TransformRow::VerticalAxis;
}

int DecomposeRowMode(TransformTab tab, TransformRow row, int32_t mode, double value) {
    const AxisOp op = IsSecondAxisRow(row) ? SecondAxisOp(mode) : FirstAxisOp(mode);
    if (op == AxisOp::Set) {
        if (value == 0.0 && MenuOffers(tab, row, kCmdSetToZero))
            return kCmdSetToZero;
        if (value == 100.0 && MenuOffers(tab, row, kCmdSetTo100))
            return kCmdSetTo100;
    }
    const int command = CommandOfOp(op);
    return MenuOffers(tab, row, command) ? command : kCmdUnchanged;
}

bool MenuOffersZeroAnd100(TransformTab tab, TransformRow row) {
    for (const ModeMenuEntry& entry : ModeMenu(tab, row)) {
        if (entry.command == kCmdSetToZero || entry.command == kCmdSetTo100)
            return true;
    }
    return false;
}

} // namespace tavro
