#pragma once

// The coordinate spaces of the main window, and the one conversion between
// twips and pixels. Every place that turns one into the other goes through
// these functions, so the arithmetic (single precision where the window
// toolkit keeps twips, double where sub-pixel pointer positions matter) is
// written once.
//
//   viewport twips  twips from the viewport's top-left corner; PictureView's
//                   left and top, and the viewport size, are in this space.
//   picture twips   twips from the shown picture's top-left corner; pointer
//                   events, the digitising state and the overlays use it.
//                   Picture twips = viewport twips - (view.left, view.top).
//   widget pixels   logical pixels of the picture area widget, whose origin
//                   is the viewport's; only the Qt windows use them.
//   photo pixels    the opened picture's own pixels, upright: a point on the
//                   photo keeps them whatever the zoom or drag.
namespace korvex::Coordinates {

// 1440 twips per inch at 96 logical dots per inch.
inline constexpr float kTwipsPerPixel = 15.0F;

constexpr float pixelsToTwips(float pixels) {
    return pixels * kTwipsPerPixel;
}
constexpr double pixelsToTwips(double pixels) {
    return pixels * static_cast<double>(kTwipsPerPixel);
}
constexpr double twipsToPixels(double twips) {
    return twips / static_cast<double>(kTwipsPerPixel);
}

// Picture twips to photo pixels along one axis, and back, for a picture shown
// `shownTwips` long whose own side is `photoPixels` long. Zooming changes the
// shown length and with it every picture twip, dragging changes neither, so a
// point kept in photo pixels stays on the same spot of the photo.
constexpr double pictureTwipsToPhotoPixels(double twips, double shownTwips, double photoPixels) {
    return twips * photoPixels / shownTwips;
}
constexpr double photoPixelsToPictureTwips(double pixels, double shownTwips, double photoPixels) {
    return pixels * shownTwips / photoPixels;
}

} // namespace korvex::Coordinates
