// The tiles that art/ names, for the screens: written by the asset build with the two
// asset files (cmake --build --preset dev --target assets). Do not edit.
#pragma once

namespace art {

constexpr int SkyTopBand = 288;
constexpr int Hills = 298;
constexpr int Ground = 304;
constexpr int LitKeyTopLeft = 12;
constexpr int LitKeyTop = 13;
constexpr int LitKeyTopRight = 14;
constexpr int LitKeyBottomLeft = 28;
constexpr int LitKeyBottom = 29;
constexpr int LitKeyBottomRight = 30;
constexpr int HomeKeyBump = 15;
constexpr int FingerMarker = 31;
constexpr int Hand = 608;
constexpr int KeyTopLeft = 0;
constexpr int KeyTop = 1;
constexpr int KeyTopRight = 2;
constexpr int KeyBottomLeft = 16;
constexpr int KeyBottom = 17;
constexpr int KeyBottomRight = 18;
constexpr int PressedKeyTopLeft = 3;
constexpr int PressedKeyTop = 4;
constexpr int PressedKeyTopRight = 5;
constexpr int PressedKeyBottomLeft = 19;
constexpr int PressedKeyBottom = 20;
constexpr int PressedKeyBottomRight = 21;
constexpr int CapsLockLamp = 6;
constexpr int TypingCursor = 7;
constexpr int PanelTopLeft = 22;
constexpr int PanelTop = 23;
constexpr int PanelLeft = 24;
constexpr int PanelFace = 25;
constexpr int PanelBottom = 8;
constexpr int PanelBottomRight = 9;
constexpr int BoxTop = 10;
constexpr int BoxBody = 11;
constexpr int LessonBlank = 1023;
constexpr int LessonFont = 96;
constexpr int LessonFontLatin = 352;
constexpr int LessonFontUnknown = 223;
constexpr int Logo = 320;
constexpr int MainFont = 0;
constexpr int MainFontLatin = 256;
constexpr int MainFontUnknown = 127;
constexpr int ResultsBanner = 224;

}  // namespace art
