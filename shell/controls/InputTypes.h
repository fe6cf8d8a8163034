#pragma once
// Mouse buttons, shift state and the virtual key codes that controls react to.
#include <cstdint>

#include "shell/core/Object.h"

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble, ssTouch, ssPen, ssCommand, ssHorizontal };
using TShiftState = TSet<TShiftStateFlag>;

inline TShiftStateFlag ButtonFlag(TMouseButton Button) {
  return Button == mbLeft ? ssLeft : Button == mbRight ? ssRight : ssMiddle;
}
/// Whether a mouse button other than Except is held in Shift.
inline bool OtherButtonHeld(TShiftState Shift, TMouseButton Except) {
  Shift.Exclude(ButtonFlag(Except));
  return !(Shift * TShiftState{ssLeft, ssRight, ssMiddle}).Empty();
}
/// Whether the release of Button (Shift: the state after it) ends a press of the left button:
/// it is the left button's, or no button is held any more.
inline bool ReleaseEndsPress(TMouseButton Button, TShiftState Shift) {
  return Button == mbLeft || !OtherButtonHeld(Shift, Button);
}

/// Virtual key codes (the values of the Windows key codes, which the platform layer maps to).
constexpr uint16_t vkBack = 8;
constexpr uint16_t vkTab = 9;
constexpr uint16_t vkReturn = 13;
constexpr uint16_t vkEscape = 27;
constexpr uint16_t vkSpace = 32;
constexpr uint16_t vkPrior = 33;
constexpr uint16_t vkNext = 34;
constexpr uint16_t vkEnd = 35;
constexpr uint16_t vkHome = 36;
constexpr uint16_t vkLeft = 37;
constexpr uint16_t vkUp = 38;
constexpr uint16_t vkRight = 39;
constexpr uint16_t vkDown = 40;

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, float, float>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, float, float>;
using TMouseWheelEvent = TEvent<TObject*, TShiftState, int, bool&>;
using TKeyEvent = TEvent<TObject*, uint16_t&, char32_t&, TShiftState>;
