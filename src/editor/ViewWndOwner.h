// What the stage window needs from the window that owns the document. The main window implements
// it; tests supply a small fake.
#pragma once

#include <QString>

#include <memory>

namespace tavro {
class AppSettings;
class CDocObj;
} // namespace tavro

namespace tavro::editor {

class ViewWndOwner {
public:
    virtual ~ViewWndOwner() { *alive_ = false; }

    // False once the owner is being destroyed: a window that the owner's base class destroys
    // as its child must not call it any more.
    std::shared_ptr<const bool> AliveToken() const { return alive_; }

    // The one movie document.
    virtual CDocObj& Document() = 0;
    // A snapshot before a change (also marks the document dirty).
    virtual void RecordUndo() = 0;
    // The scene's selection changed by a click on the stage: tree and pages follow.
    virtual void SelectionChangedOnStage() = 0;
    // Double-click on an object.
    virtual void ShowTextPage() = 0;
    // Double-click on empty stage.
    virtual void ShowScenePage() = 0;
    // A movie file dropped on the stage (asks to save first).
    virtual void OpenDroppedFile(const QString& path) = 0;
    virtual AppSettings& Settings() = 0;
    virtual bool IsPlaying() const = 0;
    // The stage asks to stop playing (Esc).
    virtual void StopMovie() = 0;
    // A click on the stage is about to change the selection: edits waiting in the property
    // pages are written back first, to the object they belong to.
    virtual void CommitPageEdits() {}
    // The stage changed the movie's size (a resize of the window); pages showing it reload.
    virtual void MovieSizeChanged() {}

private:
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace tavro::editor
