// The screen font of the player's windows: a proportional Japanese Gothic,
// so that Japanese titles show as designed, sized in pixels.
#pragma once

#include <QFont>

namespace zemfe {

inline constexpr int kFontPixels = 12;

inline QFont formFont(int pixels = kFontPixels)
{
    QFont font("IPAPGothic");
    font.setPixelSize(pixels);
    return font;
}

} // namespace zemfe
