#include "player/buttons/ButtonHitTest.h"

#include "player/Character.h"
#include "player/DisplayList.h"
#include "player/MovieLevel.h"
#include "player/PlayerCore.h"
#include "player/buttons/ButtonRecords.h"
#include "player/buttons/ShapeHitTest.h"

#include <cmath>
#include <vector>

namespace tavro::player {

namespace {

// An affine map in doubles, in the convention of Matrix16 (x' = x*a + y*c + tx,
// y' = x*b + y*d + ty), so that long chains of transforms lose no precision.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Affine From(const Matrix16& m) {
        constexpr double kOne = Matrix16::kOne;
        return {m.a / kOne, m.b / kOne, m.c / kOne, m.d / kOne, double(m.tx), double(m.ty)};
    }

    // `inner` first, then `outer`.
    static Affine Concat(const Affine& i, const Affine& o) {
        return {i.a * o.a + i.b * o.c,          i.a * o.b + i.b * o.d,
                i.c * o.a + i.d * o.c,          i.c * o.b + i.d * o.d,
                i.tx * o.a + i.ty * o.c + o.tx, i.tx * o.b + i.ty * o.d + o.ty};
    }

    // Maps (x, y) back through the inverse; false when the map is singular.
    bool Unmap(double x, double y, double& ox, double& oy) const {
        double det = a * d - b * c;
        if (!std::isfinite(det) || std::abs(det) < 1e-12)
            return false;
        double dx = x - tx, dy = y - ty;
        ox = (dx * d - dy * c) / det;
        oy = (dy * a - dx * b) / det;
        return std::isfinite(ox) && std::isfinite(oy);
    }
};

int ShapeVersion(uint8_t tagCode) {
    switch (tagCode) {
    case 22:
        return 2;
    case 32:
        return 3;
    default:
        return 1;
    }
}

bool InBounds(const Rect& r, double x, double y) {
    return !r.IsEmpty() && x >= r.xmin && x <= r.xmax && y >= r.ymin && y <= r.ymax;
}

} // namespace

bool ButtonHitTest::CharacterContains(const Character& ch, double x, double y) {
    switch (ch.type) {
    case CharacterType::Shape:
        return InBounds(ch.bounds, x, y) &&
               ShapeHitTest::Contains(ch.Data(), ShapeVersion(ch.tagCode), x, y);
    case CharacterType::Text:
    case CharacterType::EditText:
        return InBounds(ch.bounds, x, y);
    case CharacterType::MorphShape:
        return InBounds(ch.bounds, x, y) || InBounds(ch.endBounds, x, y);
    default:
        return false;
    }
}

bool ButtonHitTest::Hits(const DisplayObject& button, double devX, double devY) const {
    const Character* ch = button.character;
    if (!ch || ch->type != CharacterType::Button || !ch->owner)
        return false;
    const DisplayList& dl = core_.GetDisplayList();
    Affine toDevice = Affine::From(button.matrix);
    for (const DisplayObject* p = button.parent; p; p = p->parent)
        toDevice = Affine::Concat(toDevice, Affine::From(p->matrix));
    toDevice = Affine::Concat(toDevice, Affine::From(dl.viewMatrix));

    const ButtonRecords parsed = ButtonRecords::Read(*ch);
    for (const ButtonRecords::Record& rec : parsed.records) {
        if (!(rec.states & ButtonRecords::kHitTest))
            continue;
        const Character* shape = ch->owner->dictionary.Find(rec.characterId);
        if (!shape)
            continue;
        double x = 0, y = 0;
        if (!Affine::Concat(Affine::From(rec.matrix), toDevice).Unmap(devX, devY, x, y))
            continue;
        if (CharacterContains(*shape, x, y))
            return true;
    }
    return false;
}

DisplayObject* ButtonHitTest::Visit(DisplayObject& obj, double devX, double devY,
                                    int nesting) const {
    if (!obj.visible || nesting > DisplayList::kMaxNesting)
        return nullptr;
    if (obj.firstChild) {
        // Children are drawn in list order, each above the one before and above their parent:
        // front to back is the reverse.
        std::vector<DisplayObject*> children;
        for (DisplayObject* c = obj.firstChild; c; c = c->nextSibling)
            children.push_back(c);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (DisplayObject* hit = Visit(**it, devX, devY, nesting + 1))
                return hit;
    }
    if (obj.IsButton() && Hits(obj, devX, devY))
        return &obj;
    return nullptr;
}

DisplayObject* ButtonHitTest::Find(int x, int y) const {
    DisplayList& dl = core_.GetDisplayList();
    // The centre of the pixel, in device units.
    const double scale = dl.antiAlias ? 4.0 : 1.0;
    const double devX = (double(x) + 0.5) * scale;
    const double devY = (double(y) + 0.5) * scale;
    return Visit(dl.root, devX, devY, 0);
}

} // namespace tavro::player
