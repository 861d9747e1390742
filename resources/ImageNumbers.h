#pragma once

// The fixed resource numbers of the program's pictures. Plain constants, so that logic without
// a window can name a picture.
namespace telmo::image {

constexpr int kProgram = 128;
constexpr int kWork = 132;
constexpr int kHome = 135;
constexpr int kCellphone = 136;
constexpr int kFax = 137;
constexpr int kBeeper = 140;
constexpr int kCopy = 142;
constexpr int kName = 143;

} // namespace telmo::image
