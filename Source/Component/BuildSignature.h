#pragma once
// The add-in library shares the host's language runtime and toolkit state (the host program
// exports them), so both must be built from the same sources. The signature lists the sizes of
// the shared types; a library whose signature differs from its host's is refused instead of
// being run on a layout it was not built for. Header only: each side computes its own.
#include <string>

#include "ComboBox.h"
#include "Form.h"
#include "TextBox.h"
#include "Variant.h"

namespace com {

inline std::string BuildSignature() {
    return "Variant=" + std::to_string(sizeof(rt::Variant)) +
           ";Control=" + std::to_string(sizeof(forms::Control)) +
           ";Form=" + std::to_string(sizeof(forms::Form)) +
           ";ComboBox=" + std::to_string(sizeof(forms::ComboBox)) +
           ";TextBox=" + std::to_string(sizeof(forms::TextBox));
}

extern "C" {
// The library's signature as a NUL-terminated text.
using DllBuildSignatureFn = const char* (*)();
}

}  // namespace com
