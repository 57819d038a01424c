#pragma once
// The parts of a drawn scroll bar (in screen pixels along its length): the two arrow buttons,
// the track between them and the thumb, whose place shows Value between Min and Max. Shared by
// the painter and the mouse handling so that what is clicked is what is drawn.
namespace formsview {

enum class ScrollPart { Outside, LineUp, PageUp, Thumb, PageDown, LineDown };

struct ScrollBarParts {
    // `length` along the bar, `thickness` across it (the arrow buttons are square).
    ScrollBarParts(int length, int thickness, int min, int max, int value);

    int arrow = 0;       // length of each arrow button
    int thumbStart = 0;  // from the bar's start
    int thumbLength = 0;

    ScrollPart PartAt(int position) const;
    // The value whose thumb starts at `thumbStart` (clamped to the bar's range).
    int ValueAt(int thumbStartPosition) const;

  private:
    int length_, min_, max_;
};

}  // namespace formsview
