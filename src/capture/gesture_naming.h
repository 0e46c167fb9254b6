// Gesture naming: the two fingers' recognition results of one touch become the
// one gesture that the dispatcher acts on.
//
//   - Two fingers that drew the same shape make a two-finger gesture: the
//     shape's name with "Double" appended, with an id (13 to 23) and a picture
//     of its own, scored with the mean of both scores. "Delete" has none.
//   - One finger counts only for Square, Diamond and Delete, and only when
//     one-finger gestures are switched on.
//   - With tap-and-hold, a finger whose stroke stayed within the box is taken
//     to have drawn what the other finger drew.
//
// A recognised stroke below the score threshold spoils the gesture. The names
// are also the registry value names of the bindings.
#pragma once

#include <array>
#include <cstdint>

#include "recognition/geometry.h"
#include "recognition/recognizer.h"

namespace GestureNaming {

struct TwoFingerVariant {
  std::int32_t strokeId;  // the one-finger template both fingers drew
  std::int32_t id;        // gesture id
  const wchar_t* name;
  std::int32_t bitmapId;  // 240x240 feedback picture
};

inline constexpr std::array<TwoFingerVariant, 11> twoFingerVariants{{
    {1, 13, L"SwipeRightDouble", 171},
    {2, 14, L"SwipeLeftDouble", 170},
    {3, 15, L"SwipeUpDouble", 172},
    {4, 16, L"SwipeDownDouble", 169},
    {5, 17, L"SwipeRightLeftDouble", 178},
    {6, 18, L"SwipeLeftRightDouble", 177},
    {7, 19, L"SwipeUpDownDouble", 179},
    {8, 20, L"SwipeDownUpDouble", 176},
    {9, 21, L"QuestionmarkDouble", 159},
    {10, 22, L"SquareDouble", 160},
    {11, 23, L"DiamondDouble", 174},
}};

// Stroke ids accepted from one finger: Square (10), Diamond (11), Delete (12).
inline constexpr std::int32_t firstOneFingerId = 10;
inline constexpr std::int32_t lastOneFingerId = 12;

// The two-finger gesture for a stroke id, or null (0, 12, anything unknown).
const TwoFingerVariant* twoFingerVariant(std::int32_t strokeId);

struct NamingRules {
  double minScore = 0.7;  // score (0 to 1); a recognised stroke below it spoils the gesture
  bool singleTouchGestures = false;
  bool tapAndHold = false;
  // Pixels; a stroke whose larger side is smaller than the box's is held.
  Geometry::Rect2D tapAndHoldBox{0.0, 0.0, 30.0, 30.0};
};

// The named gesture, or the unknown result (id 0) when the touch is none. With
// tap-and-hold a held finger's result is replaced in place (first, then
// second), so naming the same pair again gives the same answer.
Gestures::RecognitionResult nameGesture(Gestures::RecognitionResult& first,
                                        Gestures::RecognitionResult& second,
                                        const NamingRules& rules);

}  // namespace GestureNaming
