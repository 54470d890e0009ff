// The property sheet on the right of the main window: five pages, in the order General, Scene,
// Timeline, Text, Actions. Selecting a tree item only changes which page is active.
//
// The page that is left commits its edits, and a Tab or Enter key inside the active page makes
// it commit before the key does what it does (moves the focus, ends a line).
#pragma once

#include <QTabWidget>

#include <array>

namespace tavro::editor {

class CMainDlg;
class CTextPropPage;

class CTextPropSheet : public QTabWidget {
    Q_OBJECT
public:
    enum Page { General = 0, Scene, Timeline, Text, Actions, PageCount };

    explicit CTextPropSheet(CMainDlg& mainWnd, QWidget* parent = nullptr);

    CTextPropPage& PageAt(Page page) const { return *pages_[page]; }
    CTextPropPage& ActivePage() const;
    Page ActivePageIndex() const { return static_cast<Page>(currentIndex()); }
    // Leaves the active page (it commits) and shows `page` (it loads). Nothing happens when it
    // is already active.
    void SetActivePage(Page page);
    // Shows `page` and loads it without letting the page that was active commit: used after
    // the current object changed, when that page's fields belong to an object that is no
    // longer current.
    void ShowPage(Page page);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnCurrentChanged(int index);

    std::array<CTextPropPage*, PageCount> pages_{};
    int activeIndex_ = -1;
    bool skipCommit_ = false;
};

} // namespace tavro::editor
