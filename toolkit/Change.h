#pragma once
#include <utility>

// Stores v in field and says whether that changed it, so that a setter repaints
// or notifies only on a real change: `if (Change(FColor, v)) update();`.
template <class T, class U> bool Change(T& field, U&& v) {
    if (field == v) return false;
    field = std::forward<U>(v);
    return true;
}
