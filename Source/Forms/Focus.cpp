#include "Focus.h"

#include <algorithm>

#include "Container.h"
#include "Form.h"
#include "UserControl.h"

namespace forms {

namespace {
void Collect(Container& scope, std::vector<Control*>& out);

// Controls of one tab scope (not descending into user controls), sorted by TabIndex.
std::vector<Control*> ScopeMembers(Container& scope) {
    std::vector<Control*> members;
    std::vector<Container*> pending{&scope};
    while (!pending.empty()) {
        Container* c = pending.back();
        pending.pop_back();
        for (const auto& child : c->Controls()) {
            members.push_back(child.get());
            if (dynamic_cast<UserControl*>(child.get())) continue;
            if (auto* inner = dynamic_cast<Container*>(child.get())) pending.push_back(inner);
        }
    }
    std::stable_sort(members.begin(), members.end(),
                     [](Control* a, Control* b) { return a->TabIndex() < b->TabIndex(); });
    return members;
}

void Collect(Container& scope, std::vector<Control*>& out) {
    for (Control* c : ScopeMembers(scope)) {
        if (auto* uc = dynamic_cast<UserControl*>(c)) {
            const std::size_t before = out.size();
            Collect(*uc, out);
            if (out.size() == before) out.push_back(uc);
            continue;
        }
        if (c->TakesFocus()) out.push_back(c);
    }
}
}  // namespace

std::vector<Control*> TabOrder(Container& scope) {
    std::vector<Control*> order;
    Collect(scope, order);
    return order;
}

Control* NextInTabOrder(Container& form, Control* from, bool reverse) {
    auto order = TabOrder(form);
    if (reverse) std::reverse(order.begin(), order.end());
    auto start = std::find(order.begin(), order.end(), from);
    const std::size_t n = order.size();
    const std::size_t first = start == order.end() ? 0 : (start - order.begin()) + 1;
    for (std::size_t k = 0; k < n; ++k) {
        Control* c = order[(first + k) % n];
        if (c != from && c->TabStop() && c->CanReceiveFocus()) return c;
    }
    return nullptr;
}

}  // namespace forms
