#pragma once

// Window layouts are given in twips (1/1440 inch), 15 to the pixel at 96 dots per inch.
inline constexpr int TwipsPerPixel = 15;
