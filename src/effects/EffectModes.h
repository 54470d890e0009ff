// The mode words of effect parameters, as plain functions.
//
// Each of the four parameter groups of an effect (move, scale, rotate, alpha) has one int32 mode
// word per parameter set, covering both axes of the group: 0 leaves both axes unchanged, 1 adds
// to both, 2 sets both; any other value is a set of per-axis bits (first axis: 4 add, 8 subtract,
// 16 set; second axis: 32 add, 64 subtract, 128 set). The effect dialogs build the word from the
// two axes' menu commands and decompose it again for display; the timeline driver applies it.
#pragma once

#include "base/CDoublePoint.h"

#include <cstdint>
#include <span>
#include <utility>

namespace tavro {

namespace effect_mode {

// Whole-word values and per-axis bits.
inline constexpr int32_t kUnchanged = 0;
inline constexpr int32_t kAddBoth = 1;
inline constexpr int32_t kSetBoth = 2;
inline constexpr int32_t kFirstAdd = 0x04;
inline constexpr int32_t kFirstSubtract = 0x08;
inline constexpr int32_t kFirstSet = 0x10;
inline constexpr int32_t kSecondAdd = 0x20;
inline constexpr int32_t kSecondSubtract = 0x40;
inline constexpr int32_t kSecondSet = 0x80;

// Menu commands of an axis's drop-down button (fixed identifiers).
inline constexpr int kCmdAdd = 32856;
inline constexpr int kCmdSubtract = 32857;
inline constexpr int kCmdSet = 32858;
inline constexpr int kCmdUnchanged = 32859;
inline constexpr int kCmdSetToZero = 32860;
inline constexpr int kCmdSetTo100 = 32861;

} // namespace effect_mode

// What a mode word does to one axis.
enum class AxisOp { Unchanged, Add, Subtract, Set };

// The operation of the first (x, horizontal) and second (y, vertical) axis of a mode word.
AxisOp FirstAxisOp(int32_t mode);
AxisOp SecondAxisOp(int32_t mode);

// Set gives v; add b + v; subtract b - v; unchanged b.
double ApplyAxisOp(AxisOp op, double base, double value);
// Both axes of a mode word applied to a pair.
CDoublePoint ApplyMode(int32_t mode, const CDoublePoint& base, const CDoublePoint& value);
// The first axis only (the alpha group).
double ApplyFirstAxis(int32_t mode, double base, double value);

// Whole-word predicates: mode 2 or both set bits; mode 1 or both add bits; both subtract bits.
bool IsSetMode(int32_t mode);
bool IsAddMode(int32_t mode);
bool IsSubtractMode(int32_t mode);

// The axis operation a menu command stands for (set-to-0 and set-to-100 are sets).
AxisOp CommandOp(int command);
// True for the commands that take a value in the row's box (add, subtract, set).
bool CommandTakesValue(int command);

// The mode word of two axes' commands: both unchanged 0, both add 1, both set 2 (plain set
// commands only), otherwise the or of the axes' bits.
int32_t BuildMode(int firstCommand, int secondCommand);
// BuildMode, and set-to-0 / set-to-100 also write the parameter of their axis (0.0 / 100.0).
int32_t BuildModeAndValues(int firstCommand, int secondCommand, CDoublePoint& values);

// The two axes' commands of a mode word for display. With `offersZeroAnd100`, an axis whose
// operation is set and whose parameter is exactly 0.0 shows as set-to-0, exactly 100.0 as
// set-to-100.
std::pair<int, int> DecomposeMode(int32_t mode, const CDoublePoint& values, bool offersZeroAnd100);

// The "Uniform" rules of the dialogs. Scale: the vertical row takes the horizontal command and
// value. Rotation: the vertical-axis row takes the horizontal command; its value is the
// horizontal value + 90 for set and set-to-0, the horizontal value otherwise.
double UniformScaleSecondValue(double firstValue);
double UniformRotationSecondValue(int command, double firstValue);

// ---- The rows of the two transform tabs ----

// The seven rows; bit i of an effect's hidden-rows set hides row i.
enum class TransformRow {
    XPosition = 0,
    YPosition = 1,
    HorizontalScale = 2,
    VerticalScale = 3,
    HorizontalAxis = 4,
    VerticalAxis = 5,
    Alpha = 6,
};
inline constexpr int kTransformRowCount = 7;

enum class TransformTab { StartAt, Transform };

struct ModeMenuEntry {
    const char* label;
    int command;
};

// The menu a row offers on a tab, in menu order.
std::span<const ModeMenuEntry> ModeMenu(TransformTab tab, TransformRow row);
// The label of a command in that menu, or null when the menu does not offer it.
const char* ModeMenuLabel(TransformTab tab, TransformRow row, int command);
// Whether the row's menu offers set-to-0 or set-to-100 (decomposition shows them only then).
bool MenuOffersZeroAnd100(TransformTab tab, TransformRow row);
// Whether the row's menu offers `command`.
bool MenuOffers(TransformTab tab, TransformRow row, int command);

// Whether the row shows the second axis of its group's mode word (Y position, vertical scale,
// vertical axis); the others show the first (the alpha row only has one).
bool IsSecondAxisRow(TransformRow row);

// The entry of the row's own menu that shows a stored mode word, `value` being the row's
// parameter. The row's axis of the word is decomposed as DecomposeMode does, but only into
// entries the menu has: a set of exactly 0.0 shows as set-to-0 and of exactly 100.0 as
// set-to-100 only where the menu has that very entry (a rotation set to 100 stays "Rotate to
// Angle of", a scale set to 0 stays "Resize to Scale of"). An operation the menu has no entry
// for (add or subtract in the Start At scale, angle and alpha menus; only a word made for the
// other tab or a damaged file holds one there) shows as "Unchanged".
int DecomposeRowMode(TransformTab tab, TransformRow row, int32_t mode, double value);

} // namespace tavro
