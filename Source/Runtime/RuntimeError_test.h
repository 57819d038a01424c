#pragma once
// Test helper: the number of the run-time error a call raises, 0 when it raises none.
#include <functional>

#include "RuntimeError.h"

namespace rt::testing {

inline int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const rt::RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

}  // namespace rt::testing
