#pragma once
#include <utility>

// Stores v in field and says whether that changed it, so that a setter repaints
// or notifies only on a real change: `if (Change(FColor, v)) update();`.
//
// This is the one home of store-then-notify. Classes still keep a private
// one-line `set` (or `repaintingSet`, `setInvalidating`, `setDisabledLook`)
// over it because each notifies in its own way, and that is the part worth
// naming: a widget repaints itself, a chart element tells its chart, a pen
// tells its owner through OnChange, a timer restarts, a button's disabled
// colours repaint only while it is disabled. Elements that notify alike share
// one (every font-carrying chart element uses TChartFontObject's).
template <class T, class U> bool Change(T& field, U&& v) {
    if (field == v) return false;
    field = std::forward<U>(v);
    return true;
}
