// Builders for button tests: filled outlines, DefineButton / DefineButton2 with their records
// and condition records, button sounds, and a host whose action code forwards the display-list
// and mouse events to the button tracking.
#pragma once

#include "player/PlayerTestSupport.h"

#include "player/DisplayObject.h"
#include "player/SoundSink.h"
#include "player/buttons/ButtonTracker.h"

#include <memory>
#include <utility>
#include <vector>

namespace tavro::player::test {

// Shape records of one outline with fill style 1 on one side, written bit by bit.
class Outline {
public:
    // Starts a contour at (x, y) with fill style 1 on one side (0: left, 1: right) and none on
    // the other.
    Outline& MoveTo(int32_t x, int32_t y, int side = 1) {
        p_.Bits(0, 1);
        p_.Bits(0x07, 5); // fill1, fill0 and move flags
        int n = std::max(BitPacker::SignedBits(x), BitPacker::SignedBits(y));
        p_.Bits(n, 5);
        p_.Bits(x, n);
        p_.Bits(y, n);
        p_.Bits(side == 0 ? 1 : 0, 1); // fill0 in one bit
        p_.Bits(side == 0 ? 0 : 1, 1); // fill1
        x_ = x;
        y_ = y;
        return *this;
    }
    Outline& LineTo(int32_t x, int32_t y) {
        int32_t dx = x - x_, dy = y - y_;
        int n = std::max({BitPacker::SignedBits(dx), BitPacker::SignedBits(dy), 2});
        p_.Bits(1, 1);
        p_.Bits(1, 1);
        p_.Bits(n - 2, 4);
        p_.Bits(1, 1); // general line
        p_.Bits(dx, n);
        p_.Bits(dy, n);
        x_ = x;
        y_ = y;
        return *this;
    }
    Outline& CurveTo(int32_t cx, int32_t cy, int32_t x, int32_t y) {
        int32_t v[4] = {cx - x_, cy - y_, x - cx, y - cy};
        int n = 2;
        for (int32_t d : v)
            n = std::max(n, BitPacker::SignedBits(d));
        p_.Bits(1, 1);
        p_.Bits(0, 1);
        p_.Bits(n - 2, 4);
        for (int32_t d : v)
            p_.Bits(d, n);
        x_ = x;
        y_ = y;
        return *this;
    }
    // The end record and the packed bytes.
    Bytes Finish() {
        p_.Bits(0, 6);
        return p_.Take();
    }

private:
    BitPacker p_;
    int32_t x_ = 0, y_ = 0;
};

// DefineShape with one solid red fill and the given outline records.
inline Bytes FilledShape(uint16_t id, Rect bounds, Outline outline) {
    Bytes b;
    U16(b, id);
    Append(b, RectBytes(bounds.xmin, bounds.xmax, bounds.ymin, bounds.ymax));
    Append(b, {1, 0x00, 255, 0, 0}); // one solid fill
    b.push_back(0);                  // no line styles
    b.push_back(0x10);               // one fill index bit, no line index bits
    Append(b, outline.Finish());
    return Tag(swfformat::kTagDefineShape, b);
}

// A filled axis-aligned rectangle (fill on the right of a clockwise contour).
inline Bytes RectShape(uint16_t id, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return FilledShape(
        id, Rect(x0, x1, y0, y1),
        Outline().MoveTo(x0, y0).LineTo(x1, y0).LineTo(x1, y1).LineTo(x0, y1).LineTo(x0, y0));
}

struct ButtonRecordSpec {
    uint8_t states;
    uint16_t id;
    uint16_t depth;
    int32_t x = 0;
    int32_t y = 0;
};

struct CondActions {
    uint16_t conditions;
    Bytes actions; // without the end byte
};

// DefineButton2: records, then one condition record per entry and the empty terminator.
inline Bytes Button2(uint16_t id, const std::vector<ButtonRecordSpec>& records,
                     const std::vector<CondActions>& conds, bool menu = false) {
    Bytes b;
    U16(b, id);
    b.push_back(menu ? 1 : 0);
    size_t offsetAt = b.size();
    U16(b, 0);
    for (const auto& r : records) {
        b.push_back(r.states);
        U16(b, r.id);
        U16(b, r.depth);
        Append(b, Translate(r.x, r.y));
        b.push_back(0x00); // identity CXFORMWITHALPHA
    }
    b.push_back(0);
    size_t first = b.size();
    b[offsetAt] = uint8_t(first - offsetAt);
    b[offsetAt + 1] = uint8_t((first - offsetAt) >> 8);
    for (const auto& c : conds) {
        size_t size = 4 + c.actions.size() + 1;
        U16(b, uint32_t(size));
        U16(b, c.conditions);
        Append(b, c.actions);
        b.push_back(0);
    }
    Append(b, {0, 0, 0, 0, 0});
    return Tag(swfformat::kTagDefineButton2, b);
}

// DefineButton: records without colour transforms, then the single action list.
inline Bytes Button1(uint16_t id, const std::vector<ButtonRecordSpec>& records,
                     const Bytes& actions) {
    Bytes b;
    U16(b, id);
    for (const auto& r : records) {
        b.push_back(r.states);
        U16(b, r.id);
        U16(b, r.depth);
        Append(b, Translate(r.x, r.y));
    }
    b.push_back(0);
    Append(b, actions);
    b.push_back(0);
    return Tag(swfformat::kTagDefineButton, b);
}

// Condition bits of the transitions.
constexpr uint16_t kRollOver = 1u << 0, kRollOut = 1u << 1, kPress = 1u << 2, kRelease = 1u << 3,
                   kDragOut = 1u << 4, kDragOver = 1u << 5, kReleaseOutside = 1u << 6,
                   kMenuPress = 1u << 7, kMenuLeave = 1u << 8;

// A sound sink that keeps the bodies it was asked to start.
class RecordingSound : public SoundSink {
public:
    void StartSound(Timeline& t, std::span<const uint8_t> body) override {
        started.emplace_back(&t, Bytes(body.begin(), body.end()));
    }
    std::vector<std::pair<Timeline*, Bytes>> started;
};

// The action runner of the player tests plus the button tracking, wired the way the action
// engine wires it.
class ButtonActions : public RecordingActions {
public:
    explicit ButtonActions(std::vector<std::string>* log) : RecordingActions(log) {}
    std::unique_ptr<ButtonInput> buttons;

    void ObjectPlaced(PlayerCore&, DisplayObject& o) override {
        if (buttons && o.IsButton())
            buttons->ObjectPlaced(o);
    }
    void ObjectRemoved(PlayerCore&, DisplayObject& o) override {
        if (buttons)
            buttons->ObjectRemoved(o);
    }
    void ReplayButtonUpdate(PlayerCore& p) override {
        if (buttons && buttons->ReplayUpdate())
            p.RunActions();
    }
    void MouseMove(PlayerCore& p, int x, int y, bool down) override { Run(p, x, y, down); }
    void MouseDown(PlayerCore& p, int x, int y) override { Run(p, x, y, true); }
    void MouseUp(PlayerCore& p, int x, int y) override { Run(p, x, y, false); }

private:
    void Run(PlayerCore& p, int x, int y, bool down) {
        if (buttons && buttons->Track(x, y, down))
            p.RunActions();
    }
};

class ButtonHost : public HeadlessHost {
public:
    ButtonHost() {
        auto actions = std::make_unique<ButtonActions>(&log);
        actions->buttons = MakeButtonInput(*this);
        buttons = actions->buttons.get();
        SetActionInterpreter(std::move(actions));
        SetSoundSink(&sound);
    }
    ~ButtonHost() override { SetSoundSink(nullptr); }
    void LoadBytes(const Bytes& b) { Load(b.data(), b.size()); }

    DisplayObject* At(uint16_t depth) { return Level0().rootObject->FindChild(depth); }
    // Character id shown at `depth` inside the object, or -1.
    static int Shown(const DisplayObject* obj, uint16_t depth) {
        const DisplayObject* c = obj ? obj->FindChild(depth) : nullptr;
        return c && c->character ? c->character->id : -1;
    }

    std::vector<std::string> log;
    RecordingSound sound;
    ButtonInput* buttons = nullptr;
};

} // namespace tavro::player::test
