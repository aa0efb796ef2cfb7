#include "RunAction.h"

#include <iterator>

namespace {
// The journal's names; their order is the enumeration's.
const char* const kActionNames[] = {"start", "stop",   "restart", "reset",  "lap",  "lap2",
                                    "lap3",  "pick",   "add",     "key",    "up",   "down",
                                    "save",  "remove", "delete",  "insert", "undo", "redo"};
static_assert(std::size(kActionNames) == int(TRunAction::Redo) + 1);
} // namespace

const char* ActionName(TRunAction a) {
    return kActionNames[int(a)];
}

std::optional<TRunAction> ActionNamed(const QByteArray& name) {
    for (size_t i = 0; i < std::size(kActionNames); ++i)
        if (name == kActionNames[i]) return TRunAction(i);
    return std::nullopt;
}
