#pragma once

namespace trouvimo::design {

// The board as it was drawn, in twips (15 to a pixel at 96 dots per inch): the rules move the
// tiles in these units, the window scales them to pixels, and the tests check against them.
struct TwipsRect {
    float left = 0.0F;
    float top = 0.0F;
    float width = 0.0F;
    float height = 0.0F;
};

// The part of the window that the background and the controls occupy.
inline constexpr double kContentWidth = 12135.0;
inline constexpr double kContentHeight = 8730.0;

inline constexpr TwipsRect kBackground {0, 0, 12105, 8730};
inline constexpr TwipsRect kHint {120, -240, 420, 1350};
// The first letter tile; the others are laid out after it in a row.
inline constexpr TwipsRect kFirstTile {600, 1080, 645, 675};
inline constexpr float kTileGap = 50.0F;
// The first answer slot; the next ones follow every kSlotPitch twips to its right.
inline constexpr TwipsRect kFirstSlot {3000, 6480, 615, 855};
inline constexpr float kSlotPitch = 720.0F;
// The red frame around the slots, which a travelling tile must reach.
inline constexpr TwipsRect kSlotFrame {2880, 6360, 8775, 1095};
// The frame a solved word's picture is centred on.
inline constexpr TwipsRect kPictureFrame {120, 5280, 2655, 3015};
inline constexpr TwipsRect kPicture {240, 5880, 2175, 1815};
inline constexpr TwipsRect kDifficultBox {9240, 7920, 2535, 615};
// Speech on or off, left of the difficult level, between the slots' frame and the credit line.
inline constexpr TwipsRect kVoiceBox {6645, 7890, 2535, 615};
// The speaker button's size, at least a tile's both ways, so that a small hand hits it as easily;
// it stands just right of the red word, wherever the word ends.
inline constexpr TwipsRect kSpeakerButton {0, 120, 675, 675};
inline constexpr float kSpeakerGap = 120.0F;
inline constexpr TwipsRect kPlayButton {9120, 2400, 2535, 975};
inline constexpr TwipsRect kQuitButton {9120, 3600, 2535, 975};
inline constexpr TwipsRect kCreditLine {6240, 8520, 5895, 255};

// How far a travelling tile moves at each tick of a movement timer.
inline constexpr float kTileStep = 500.0F;

} // namespace trouvimo::design
