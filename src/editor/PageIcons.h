// The small icons of the property pages, drawn in the colours of a palette, so that they read
// on light and dark palettes alike: bold, italic, the three alignments, the mark of fonts with
// quadratic outlines in the face list, and the text objects of the movie tree.
#pragma once

#include <QIcon>
#include <QPalette>

namespace tavro::editor {

enum class PageIcon { Bold, Italic, AlignLeft, AlignCentre, AlignRight, QuadraticFont, TextObject };

// Normal and disabled forms, in the colour of `role` of the palette's active and disabled
// groups; the selected form (an item of a list or tree) in the highlighted text colour.
QIcon MakePageIcon(PageIcon kind, const QPalette& palette,
                   QPalette::ColorRole role = QPalette::ButtonText);

} // namespace tavro::editor
