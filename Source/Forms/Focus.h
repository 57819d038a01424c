#pragma once
// Tab order: the controls of a form (or of a user control) in the order Tab visits them.
#include <vector>

namespace forms {

class Container;
class Control;

// The controls that take the focus inside `scope`, by TabIndex (ties in order of creation). A
// user control inside stands for its constituents, which follow in their own order; a user
// control without constituents that take the focus stands for itself. Controls that cannot take
// the focus now (hidden, disabled, TabStop off) are included; callers check.
std::vector<Control*> TabOrder(Container& scope);

// The next control after `from` that can take the focus by Tab (backwards with `reverse`),
// wrapping around the form; nullptr when there is none.
Control* NextInTabOrder(Container& form, Control* from, bool reverse);

}  // namespace forms
