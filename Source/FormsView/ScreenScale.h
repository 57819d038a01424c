#pragma once
// The toolkit places controls in twips and reports positions in pixels of a 96 dots-per-inch
// screen; the view draws at the screen's real resolution. One scale converts between the three.
namespace formsview {

class ScreenScale {
  public:
    // `dpi` as the screen reports it; a value no screen has (outside 48..480) counts as 96, the
    // figure virtual screens and broken reports fall back to.
    explicit ScreenScale(float dpi = 96.0f);

    float Dpi() const noexcept { return dpi_; }
    float TwipsPerPixel() const noexcept { return 1440.0f / dpi_; }
    // Toolkit pixels (96 dpi) to screen pixels, rounded to the nearest pixel, and back.
    int ToScreen(float modelPixels) const;
    float ToModel(int screenPixels) const;
    // Twips to screen pixels (rounded) and back.
    int TwipsToPixels(float twips) const;
    float PixelsToTwips(int pixels) const;
    // The pixel size of a font of `points` on the toolkit's 96-dpi grid and on this screen.
    static int ModelFontPixels(float points);
    int FontPixels(float points) const;

  private:
    float dpi_;
};

}  // namespace formsview
