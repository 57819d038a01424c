#pragma once
// A combo box as a drop-down list: the user picks one of the items, none can be typed. Setting
// ListIndex, by the user or by code, raises Click when the selection changes.
#include <optional>
#include <string>
#include <vector>

#include "Control.h"

namespace forms {

class ComboBox : public Control {
  public:
    explicit ComboBox(std::string name);
    std::string_view TypeName() const override { return "ComboBox"; }
    bool TakesFocus() const override { return true; }

    // Appends the item, or inserts it at `index`. Raises 5 for an index outside 0..ListCount.
    void AddItem(std::string item, std::optional<int> index = std::nullopt);
    // Raises 5 for an index outside the list; the selection follows its item.
    void RemoveItem(int index);
    // Empties the list; no item is selected afterwards (no Click).
    void Clear();
    int ListCount() const noexcept { return static_cast<int>(items_.size()); }
    // Raises 381 for an index outside the list.
    const std::string& List(int index) const;
    void SetList(int index, std::string item);
    int ListIndex() const noexcept { return listIndex_; }
    // -1 selects nothing. Raises 380 for an index outside -1..ListCount-1.
    void SetListIndex(int value);
    // The selected item's text; "" when nothing is selected.
    std::string Text() const;

    // Up and Left select the previous item, Down and Right the next, Home the first and End the
    // last (Click on each change); with Alt held nothing changes (Alt with an arrow opens the
    // list).
    void UserKey(std::int16_t keyCode, std::int16_t shiftState) override;
    // A mouse click only opens the list; choosing an item is UserSelect.
    void UserClick() override {}
    void UserSelect(int index) { SetListIndex(index); }

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<ComboBox>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;

  private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

}  // namespace forms
