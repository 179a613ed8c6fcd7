#pragma once
// Observable model objects notify only when a value really changes; every setter goes through
// this so that an assignment of an equal value reaches nobody.

#include <utility>

namespace brisvane {

// Stores `value` in `member` and returns true when they differed; the caller then emits.
template <typename T, typename U> bool assignIfChanged(T& member, U&& value)
{
    if (member == value)
        return false;
    member = std::forward<U>(value);
    return true;
}

} // namespace brisvane
