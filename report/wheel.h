#pragma once

#include <array>

namespace kalvento::report {

// A single-zero roulette wheel of 37 pockets and the two computations on it.
// Positions are 1-based in the comments, as the report's tables count them;
// the arrays below are 0-based.

inline constexpr int kPockets = 37;
inline constexpr int kHalfWheel = 18;   // the largest distance either way
inline constexpr int kCentre = 19;      // centre row and column of the neighbour table

// The wheel order, starting at zero (aRZ). After 26 comes 0 again.
inline constexpr std::array<int, kPockets> kWheel = {
    0,  32, 15, 19, 4,  21, 2,  25, 17, 34, 6,  27, 13, 36, 11, 30, 8,  23, 10,
    5,  24, 16, 33, 1,  20, 14, 31, 9,  22, 18, 29, 7,  28, 12, 35, 3,  26};

// The red numbers in wheel order (aRZr).
inline constexpr std::array<int, 18> kRed = {32, 19, 21, 25, 34, 27, 36, 30, 23,
                                             5,  16, 1,  14, 9,  18, 7,  12, 3};

// The doubled wheel (aRZD): every run of up to 37 pockets starting in the first
// copy lies inside it, so stepping forward needs no wrap-around.
inline constexpr std::array<int, 2 * kPockets> kDoubledWheel = [] {
  std::array<int, 2 * kPockets> doubled{};
  for (int p = 0; p < 2 * kPockets; ++p) doubled[p] = kWheel[p % kPockets];
  return doubled;
}();

// The neighbour table (aRq1), [row i - 1][column j - 1] for i, j in 1..37: the
// cell holds the number (j - i) mod 37 pockets forward from 0, so each row is
// the wheel centred on the number of its label 19 - i.
using NeighbourTable = std::array<std::array<int, kPockets>, kPockets>;
NeighbourTable BuildNeighbourTable();

// A number is red if it is in kRed; 0 is never red.
bool IsRed(int number);

// The signed wheel distance from a to b (each 0..36): how many pockets forward b
// lies from a, folded into -18..+18 (19 forward is 18 backward). Zero only for a == b.
int SignedDistance(int a, int b);

}  // namespace kalvento::report
