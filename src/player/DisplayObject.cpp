#include "player/DisplayObject.h"

#include "player/Character.h"
#include "player/Timeline.h"

namespace tavro::player {

DisplayObject::DisplayObject() = default;
DisplayObject::~DisplayObject() = default;

Matrix16 DisplayObject::WorldMatrix() const {
    Matrix16 m = matrix;
    for (const DisplayObject* p = parent; p; p = p->parent)
        m = Matrix16::Concat(m, p->matrix);
    return m;
}

ColorXform DisplayObject::WorldCxform() const {
    ColorXform x = cxform;
    for (const DisplayObject* p = parent; p; p = p->parent)
        x = ColorXform::Concat(x, p->cxform);
    return x;
}

DisplayObject* DisplayObject::FindChild(uint16_t d) const {
    for (DisplayObject* c = firstChild; c; c = c->nextSibling) {
        if (c->depth == d)
            return c;
        if (c->depth > d)
            break;
    }
    return nullptr;
}

bool DisplayObject::IsSprite() const {
    return character && character->IsSpriteLike();
}

bool DisplayObject::IsButton() const {
    return character && character->type == CharacterType::Button;
}

bool DisplayObject::IsEditText() const {
    return character && character->type == CharacterType::EditText;
}

} // namespace tavro::player
