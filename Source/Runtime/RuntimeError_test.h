#pragma once
// Test helpers: what run-time error a call raises.
#include <functional>
#include <string>

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

// "number: description" of the run-time error a call raises, "" when it raises none.
inline std::string ErrorTextOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const rt::RuntimeError& e) {
        return std::to_string(e.Number()) + ": " + e.Description();
    }
    return "";
}

}  // namespace rt::testing
