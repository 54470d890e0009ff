#include "player/edittext/EditTextFields.h"

#include "base/AsciiCase.h"
#include "player/Character.h"
#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/PlayerCore.h"
#include "player/Timeline.h"
#include "player/actions/TargetPath.h"
#include "player/edittext/EditTextField.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>

namespace tavro::player {

namespace {

// Window coordinates far outside any client area are clamped before scaling.
constexpr int kMaxWindowCoord = 1 << 24;

// The field sets registered with each renderer, latest last: the latest one draws. A set that
// goes away hands drawing back to the one before it instead of leaving a successor unregistered.
std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}
std::unordered_map<const Renderer*, std::vector<EditTextFields*>>& Registry() {
    static std::unordered_map<const Renderer*, std::vector<EditTextFields*>> registry;
    return registry;
}

} // namespace

EditTextFields::EditTextFields(PlayerCore& core) : core_(core), renderer_(&Renderer::Of(core)) {
    std::lock_guard<std::mutex> hold(RegistryLock());
    Registry()[renderer_].push_back(this);
    renderer_->SetEditTextDrawer(this);
}

EditTextFields::~EditTextFields() {
    std::lock_guard<std::mutex> hold(RegistryLock());
    auto it = Registry().find(renderer_);
    if (it == Registry().end())
        return;
    std::vector<EditTextFields*>& sets = it->second;
    const bool drawing = !sets.empty() && sets.back() == this;
    sets.erase(std::remove(sets.begin(), sets.end(), this), sets.end());
    // The renderer outlives the fields of its player; still, only a renderer that is still the
    // display list's own is told.
    if (drawing && dynamic_cast<Renderer*>(core_.GetDisplayList().renderer.get()) == renderer_)
        renderer_->SetEditTextDrawer(sets.empty() ? nullptr : sets.back());
    if (sets.empty())
        Registry().erase(it);
}

std::unique_ptr<TextFieldInput> MakeTextFieldInput(PlayerCore& core) {
    return std::make_unique<EditTextFields>(core);
}

EditTextField* EditTextFields::FieldOf(const DisplayObject& obj) const {
    auto it = fields_.find(&obj);
    return it == fields_.end() ? nullptr : it->second.get();
}

void EditTextFields::ObjectPlaced(DisplayObject& obj) {
    if (!obj.IsEditText())
        return;
    const Character& ch = *obj.character;
    EditTextRecord rec;
    if (!rec.Parse(ch.Data())) {
        fields_.erase(&obj); // a damaged record shows nothing
        return;
    }
    FieldFont font = FieldFont::Resolve(core_, ch, rec);
    auto field = std::make_unique<EditTextField>(ch.bounds, std::move(rec), std::move(font));
    EditTextField& ref = *field;
    fields_[&obj] = std::move(field);
    Bind(obj, ref);
    Changed(obj);
}

void EditTextFields::ObjectRemoved(DisplayObject& obj) {
    if (focus_ == &obj) {
        if (const EditTextField* f = FieldOf(obj))
            memo_ = FocusMemo{obj.timeline,         obj.depth,         f->Record().variable,
                              f->SelectionAnchor(), f->SelectionEnd(), f->Scroll()};
        focus_ = nullptr;
        selecting_ = false;
    }
    if (clickField_ == &obj) {
        clickField_ = nullptr;
        haveClick_ = false;
    }
    fields_.erase(&obj);
}

void EditTextFields::Bind(DisplayObject& obj, EditTextField& field) {
    const EditTextRecord& rec = field.Record();
    Timeline* target = nullptr;
    std::string_view name;
    if (!rec.variable.empty() && obj.timeline)
        name = SplitVariablePath(core_, *obj.timeline, rec.variable, &target);
    if (target && !name.empty()) {
        if (const std::string* value = FindVariable(*target, name)) {
            field.SetText(*value);
            return;
        }
        if (!rec.initialText.empty()) {
            StoreVariable(*target, name, rec.initialText);
            // Other fields bound to the new variable show it too (this one included).
            VariableChanged(*target, name, rec.initialText);
            return;
        }
    }
    field.SetText(rec.initialText);
}

void EditTextFields::AfterReplay(Timeline& timeline) {
    for (auto& [obj, field] : fields_) {
        if (obj->timeline != &timeline)
            continue;
        DisplayObject& o = const_cast<DisplayObject&>(*obj);
        Bind(o, *field);
        Changed(o);
    }
    if (!memo_ || memo_->timeline != &timeline || !timeline.rootObject)
        return;
    for (DisplayObject* c = timeline.rootObject->firstChild; c; c = c->nextSibling) {
        EditTextField* f = c->depth == memo_->depth ? FieldOf(*c) : nullptr;
        if (f && EqualsNoCase(f->Record().variable, memo_->variable)) {
            f->Select(memo_->anchor, memo_->active);
            f->SetScroll(memo_->scroll);
            f->SetCaretOn(true);
            SetFocus(c);
            break;
        }
    }
    memo_.reset();
}

bool EditTextFields::IsBoundTo(DisplayObject& obj, const EditTextField& field, Timeline& timeline,
                               std::string_view name) {
    const std::string& var = field.Record().variable;
    if (var.empty() || !obj.timeline)
        return false;
    Timeline* target = nullptr;
    std::string_view bare = SplitVariablePath(core_, *obj.timeline, var, &target);
    return target == &timeline && EqualsNoCase(bare, name);
}

void EditTextFields::VariableChanged(Timeline& timeline, std::string_view name,
                                     std::string_view value) {
    for (auto& [obj, field] : fields_) {
        DisplayObject& o = const_cast<DisplayObject&>(*obj);
        if (IsBoundTo(o, *field, timeline, name)) {
            field->SetText(value);
            Changed(o);
        }
    }
}

void EditTextFields::CollectFields(DisplayObject& parent, std::vector<DisplayObject*>& out,
                                   int nesting) {
    if (nesting > DisplayList::kMaxNesting)
        return;
    for (DisplayObject* c = parent.firstChild; c; c = c->nextSibling) {
        if (!c->visible)
            continue;
        if (fields_.count(c))
            out.push_back(c);
        CollectFields(*c, out, nesting + 1);
    }
}

DisplayObject* EditTextFields::FindBound(Timeline& timeline, std::string_view name) {
    std::vector<DisplayObject*> all;
    CollectFields(core_.GetDisplayList().root, all, 0);
    for (DisplayObject* obj : all)
        if (IsBoundTo(*obj, *FieldOf(*obj), timeline, name))
            return obj;
    // A hidden field is still bound: look at every field when no shown one matched.
    for (auto& [obj, field] : fields_)
        if (IsBoundTo(const_cast<DisplayObject&>(*obj), *field, timeline, name))
            return const_cast<DisplayObject*>(obj);
    return nullptr;
}

std::optional<int> EditTextFields::Scroll(Timeline& timeline, std::string_view name) {
    DisplayObject* obj = FindBound(timeline, name);
    if (!obj)
        return std::nullopt;
    return FieldOf(*obj)->Scroll() + 1;
}

std::optional<int> EditTextFields::MaxScroll(Timeline& timeline, std::string_view name) {
    DisplayObject* obj = FindBound(timeline, name);
    if (!obj)
        return std::nullopt;
    return FieldOf(*obj)->MaxScroll() + 1;
}

void EditTextFields::SetScroll(Timeline& timeline, std::string_view name, int firstLine) {
    const int line = firstLine > INT32_MIN ? firstLine - 1 : INT32_MIN;
    for (auto& [obj, field] : fields_) {
        DisplayObject& o = const_cast<DisplayObject&>(*obj);
        if (IsBoundTo(o, *field, timeline, name) && field->SetScroll(line))
            Changed(o);
    }
}

std::optional<Point16> EditTextFields::ToField(const DisplayObject& obj, int x, int y) const {
    const DisplayList& dl = core_.GetDisplayList();
    const int k = dl.antiAlias ? 4 : 1;
    x = std::clamp(x, -kMaxWindowCoord, kMaxWindowCoord);
    y = std::clamp(y, -kMaxWindowCoord, kMaxWindowCoord);
    Matrix16 inv;
    if (!Matrix16::Concat(obj.WorldMatrix(), dl.viewMatrix).Invert(inv))
        return std::nullopt;
    return inv.Map(x * k, y * k);
}

DisplayObject* EditTextFields::FieldAt(int x, int y) {
    std::vector<DisplayObject*> all;
    CollectFields(core_.GetDisplayList().root, all, 0);
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const EditTextField* f = FieldOf(**it);
        if (!f->Record().Selectable())
            continue;
        std::optional<Point16> p = ToField(**it, x, y);
        if (p && f->Bounds().Contains(p->x, p->y))
            return *it;
    }
    return nullptr;
}

void EditTextFields::Changed(DisplayObject& obj) {
    core_.GetDisplayList().MarkDirty(&obj);
}

void EditTextFields::SetFocus(DisplayObject* obj) {
    if (focus_ == obj)
        return;
    if (focus_) {
        FieldOf(*focus_)->SetCaretOn(false);
        Changed(*focus_);
    }
    focus_ = obj;
    if (focus_)
        Changed(*focus_);
}

bool EditTextFields::MouseDown(int x, int y) {
    memo_.reset();
    DisplayObject* obj = FieldAt(x, y);
    if (!obj) {
        SetFocus(nullptr);
        selecting_ = false;
        haveClick_ = false;
        return false;
    }
    EditTextField& field = *FieldOf(*obj);
    const Point16 p = *ToField(*obj, x, y);
    const uint32_t index = field.IndexAt(p.x, p.y);
    const uint32_t now = core_.CurrentTimeMs();
    const bool doubleClick =
        haveClick_ && clickField_ == obj && ((now - clickMs_) & 0x7FFFFFFF) < kDoubleClickMs &&
        std::abs(x - clickX_) <= kDoubleClickSlop && std::abs(y - clickY_) <= kDoubleClickSlop;
    if (doubleClick) {
        field.SelectWord(index);
        selecting_ = false;
        haveClick_ = false; // a third press starts over
    } else {
        field.Select(index, index);
        selecting_ = true;
        haveClick_ = true;
        clickMs_ = now;
        clickX_ = x;
        clickY_ = y;
        clickField_ = obj;
    }
    SetFocus(obj);
    field.SetCaretOn(true);
    field.ShowSelectionEnd();
    Changed(*obj);
    return true;
}

void EditTextFields::Extend(int x, int y) {
    EditTextField& field = *FieldOf(*focus_);
    std::optional<Point16> p = ToField(*focus_, x, y);
    if (!p)
        return;
    const uint32_t index = field.IndexAt(p->x, p->y);
    if (index == field.SelectionEnd())
        return;
    field.Select(field.SelectionAnchor(), index);
    field.ShowSelectionEnd();
    field.SetCaretOn(true);
    Changed(*focus_);
}

void EditTextFields::MouseDrag(int x, int y) {
    if (focus_ && selecting_)
        Extend(x, y);
}

void EditTextFields::MouseUp(int x, int y) {
    if (focus_ && selecting_)
        Extend(x, y);
    selecting_ = false;
}

bool EditTextFields::SelectableAt(int x, int y) {
    return FieldAt(x, y) != nullptr;
}

void EditTextFields::CaretTick() {
    if (!focus_)
        return;
    EditTextField& field = *FieldOf(*focus_);
    field.SetCaretOn(!field.CaretOn());
    if (field.SelectionAnchor() == field.SelectionEnd())
        Changed(*focus_);
}

void EditTextFields::Draw(const DisplayObject& obj, GlyphOutput& out) {
    if (const EditTextField* field = FieldOf(obj))
        field->Draw(out, focus_ == &obj);
}

} // namespace tavro::player
