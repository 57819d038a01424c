#pragma once
// Texts shown in FLTK menus. A menu path treats "/" as a submenu separator, "&" as the mark of
// the underlined shortcut letter, "|" as the separator of several items and "\" as the escape:
// a text from the host or the add-in is escaped so that it shows exactly as given.
#include <string>
#include <string_view>

namespace formsview {

// For a path element given to Fl_Menu_::add ("/" "|" "\" escaped, "&" doubled).
std::string EscapeMenuPathElement(std::string_view text);
// For the label of a menu item that is not parsed as a path (only "&" is special).
std::string EscapeMenuItemLabel(std::string_view text);

}  // namespace formsview

namespace formsview {
// For a box's label or a tooltip: "@" (FLTK's symbol mark) doubled.
std::string EscapeLabel(std::string_view text);
// For a button's label, which also underlines the letter after "&": "@" and "&" doubled.
std::string EscapeButtonLabel(std::string_view text);
}  // namespace formsview
