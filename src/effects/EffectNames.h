// Display strings of effects (by string id) and the "Add Effect" commands that create the
// whole-object and the letter effects. The editor shows these texts as they stand.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tavro {

class CEffectObj;

namespace effect_string {
inline constexpr int kUnknown = 118;            // "unknown"
inline constexpr int kSlideName = 133;          // "Slide %s %s"
inline constexpr int kOutTo = 134;              // "Out To"
inline constexpr int kInFrom = 135;             // "In From"
inline constexpr int kDirectionLeft = 136;      // "Left"; 137..143 the other seven directions
inline constexpr int kPreview = 144;            // "Preview"
inline constexpr int kStop = 145;               // "Stop"
inline constexpr int kTransform = 146;          // "Transform"
inline constexpr int kStartAtTab = 147;         // "Start At"
inline constexpr int kStartAlpha = 148;         // "Start Alpha:"
inline constexpr int kStartPosition = 149;      // "Start Position"
inline constexpr int kStartScale = 150;         // "Start Scale"
inline constexpr int kStartAngle = 151;         // "Start Angle"
inline constexpr int kFadeIn = 57346;           // "Fade In"
inline constexpr int kFadeOut = 57347;          // "Fade Out"
inline constexpr int kHide = 57348;             // "Hide"
inline constexpr int kShow = 57350;             // "Show"
inline constexpr int kSlideInFromGroup = 57370; // "Slide In From"
inline constexpr int kSlideOutToGroup = 57371;  // "Slide Out To"
// Names of the letter effects.
inline constexpr int kExplode = 57345;      // "Explode"
inline constexpr int kScaleLetters = 57349; // "Scale Letters"
inline constexpr int kSqueeze = 57351;      // "Squeeze"
inline constexpr int kTypewriter = 57352;   // "Typewriter"
inline constexpr int kWave = 57353;         // "Wave"
inline constexpr int kRevert = 57372;       // "Revert"
} // namespace effect_string

// The description a new alternating-letters effect gets (it has no string of its own).
inline constexpr std::string_view kAlternateLettersName = "Alternate Letters";

// The text of a string id, or an empty view for an id this table does not hold.
std::string_view LoadEffectName(int id);

// "Slide In From Top Left" and the like: string 133 with "In From" / "Out To" and the
// direction's name (0 Left, 1 Right, 2 Top, 3 Bottom, 4 Top Left, 5 Top Right, 6 Bottom Left,
// 7 Bottom Right); a direction outside 0..7 is named "unknown".
std::string SlideName(bool slideOut, int direction);
// The direction's name, or "unknown".
std::string_view SlideDirectionName(int direction);

// The "Add Effect" commands of the whole-object effects.
namespace effect_command {
inline constexpr int kShow = 32790;
inline constexpr int kHide = 32791;
inline constexpr int kFadeIn = 32838;
inline constexpr int kFadeOut = 32839;
inline constexpr int kSlideInFirst = 32840;  // "From Left" .. "From Bottom Right": 32840..32847
inline constexpr int kSlideOutFirst = 32848; // "To Left" .. "To Bottom Right": 32848..32855
inline constexpr int kTransform = 32862;
// The letter effects.
inline constexpr int kSqueeze = 32810;
inline constexpr int kScaleLetters = 32814;
inline constexpr int kAlternateLetters = 32823;
inline constexpr int kTypewriter = 32825;
inline constexpr int kExplode = 32826;
inline constexpr int kWaveLetters = 32865;
inline constexpr int kRevertText = 32872;
} // namespace effect_command

// A new whole-object effect for an "Add Effect" command (start frame 0, no parent), or null for
// a command that does not create one of them.
std::unique_ptr<CEffectObj> CreateWholeObjectEffect(int command);

// The class of the letter effect an "Add Effect" command creates ("CEffectWave" for
// "Wave Letters"), or an empty view for a command that does not create one.
std::string_view LetterEffectClassName(int command);
// A new letter effect for an "Add Effect" command (start frame 0, no parent), created by class
// name, or null for a command that does not create one (or whose class is not registered).
std::unique_ptr<CEffectObj> CreateLetterEffect(int command);

} // namespace tavro
