#pragma once
// The game's colours: every sprite takes its materials from here so that they read as
// one set. Outlines are dark shades of their material, never pure black (black is the
// key of two images) and never magenta.
#include "assets/canvas.h"

constexpr uint32_t KEY_MAGENTA = 0xFFFF00FFu;
constexpr uint32_t KEY_PLAYER = 0xFFFB00FFu;
constexpr uint32_t KEY_BLACK = 0xFF000000u;

// Tomato sauce: deep, glossy red.
constexpr Ramp SAUCE_RAMP = {
    Rgb(74, 10, 14),
    {Rgb(150, 18, 24), Rgb(198, 34, 30), Rgb(228, 66, 44), Rgb(246, 112, 78)},
    Rgb(255, 226, 212)};
// A ripe tomato: a touch more orange than the sauce so the two never mix up.
constexpr Ramp TOMATO_RAMP = {
    Rgb(92, 18, 10),
    {Rgb(184, 34, 18), Rgb(228, 58, 28), Rgb(248, 98, 50), Rgb(255, 150, 96)},
    Rgb(255, 244, 232)};
constexpr Ramp LEAF_RAMP = {
    Rgb(22, 58, 22),
    {Rgb(42, 112, 38), Rgb(70, 152, 50), Rgb(112, 192, 70), Rgb(166, 224, 112)},
    0};
// Dried durum pasta: warm yellow.
constexpr Ramp PASTA_RAMP = {
    Rgb(92, 50, 18),
    {Rgb(204, 146, 66), Rgb(234, 188, 98), Rgb(248, 216, 138), Rgb(255, 238, 186)},
    0};
// The hollow inside of the tube, in shadow.
constexpr Ramp PASTA_INSIDE_RAMP = {
    Rgb(92, 50, 18), {Rgb(112, 62, 24), Rgb(140, 84, 32), Rgb(168, 108, 46), Rgb(196, 138, 64)}, 0};
// Hard cheese: pale straw with a golden rind.
constexpr Ramp CHEESE_RAMP = {
    Rgb(96, 64, 24),
    {Rgb(218, 192, 120), Rgb(238, 218, 158), Rgb(250, 236, 192), Rgb(255, 250, 226)},
    0};
constexpr Ramp RIND_RAMP = {
    Rgb(96, 64, 24),
    {Rgb(176, 112, 42), Rgb(206, 146, 60), Rgb(228, 176, 84), Rgb(244, 204, 120)},
    0};
constexpr Ramp EYE_RAMP = {
    Rgb(40, 16, 20),
    {Rgb(200, 196, 210), Rgb(232, 230, 238), Rgb(250, 250, 252), Rgb(255, 255, 255)},
    0};

constexpr uint32_t PUPIL = Rgb(34, 14, 22);
constexpr uint32_t GLINT = Rgb(255, 255, 255);
constexpr uint32_t MOUTH_DARK = Rgb(86, 12, 22);
constexpr uint32_t TONGUE = Rgb(236, 104, 118);
constexpr uint32_t TOOTH = Rgb(252, 248, 236);
