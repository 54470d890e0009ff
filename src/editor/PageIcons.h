// The small icons of the property pages, drawn in the colours of a palette, so that they read
// on light and dark palettes alike: bold, italic, the three alignments and the mark of fonts
// with quadratic outlines in the face list.
#pragma once

#include <QIcon>
#include <QPalette>

namespace tavro::editor {

enum class PageIcon { Bold, Italic, AlignLeft, AlignCentre, AlignRight, QuadraticFont };

// Normal and disabled forms, in the colour of `role` of the palette's active and disabled
// groups.
QIcon MakePageIcon(PageIcon kind, const QPalette& palette,
                   QPalette::ColorRole role = QPalette::ButtonText);

} // namespace tavro::editor
