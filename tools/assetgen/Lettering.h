// Our own angular capitals, and the two lettered pictures: the title and the flash message.
#pragma once
#include <string>
#include <vector>

#include "Canvas.h"
#include "Raster.h"

namespace lettering {

// Outline contours of the text at (x, y) top-left, scaled so capitals are `capHeight` tall
// and `widthScale` times as wide as designed. Returns the advance width in pixels.
double Layout(const std::string& text, double x, double y, double capHeight, double widthScale, std::vector<Poly>& out);
double TextWidth(const std::string& text, double capHeight, double widthScale);

// Title picture: `isKey` is set where the key colour goes (outside the dark outline).
Canvas Title(int width, int height, std::vector<uint8_t>& isKey);
// Flash picture: black lettering on flat grey.
Canvas Flash(int width, int height, Rgb grey);

}  // namespace lettering
