#include "report/wheel.h"

#include <gtest/gtest.h>

#include <set>

#include "runtime/runtime_error.h"

namespace kalvento::report {
namespace {

// The European wheel and its reds, written down here independently of the code.
const int kWheelOrder[37] = {0,  32, 15, 19, 4,  21, 2,  25, 17, 34, 6,  27, 13,
                             36, 11, 30, 8,  23, 10, 5,  24, 16, 33, 1,  20, 14,
                             31, 9,  22, 18, 29, 7,  28, 12, 35, 3,  26};
const std::set<int> kReds = {1, 3, 5, 7, 9, 12, 14, 16, 18, 19, 21, 23, 25, 27, 30, 32, 34, 36};

int PocketsFromZero(int steps) { return kWheelOrder[((steps % 37) + 37) % 37]; }

TEST(NeighbourTableTest, NamedCells) {
  const NeighbourTable t = BuildNeighbourTable();
  struct Case {
    int row, column, number;  // 1-based, as the report counts them
  };
  const Case cases[] = {{19, 19, 0}, {19, 20, 32}, {19, 18, 26}, {1, 1, 0},
                        {1, 19, 10}, {37, 19, 5},  {37, 1, 32}};
  for (const Case& c : cases) {
    EXPECT_EQ(t[c.row - 1][c.column - 1], c.number) << c.row << "," << c.column;
  }
}

TEST(NeighbourTableTest, EveryCellIsItsLabelPlusOffsetAroundTheWheel) {
  const NeighbourTable t = BuildNeighbourTable();
  for (int i = 1; i <= 37; ++i) {
    std::set<int> rowNumbers, columnNumbers;
    for (int j = 1; j <= 37; ++j) {
      const int label = 19 - i, offset = j - 19;
      EXPECT_EQ(t[i - 1][j - 1], PocketsFromZero(label + offset)) << i << "," << j;
      rowNumbers.insert(t[i - 1][j - 1]);
      columnNumbers.insert(t[j - 1][i - 1]);
    }
    EXPECT_EQ(rowNumbers.size(), 37u) << "row " << i;
    EXPECT_EQ(columnNumbers.size(), 37u) << "column " << i;
  }
}

TEST(SignedDistanceTest, NamedPairs) {
  struct Case {
    int from, to, distance;
  };
  const Case cases[] = {
      {0, 32, 1},   {0, 26, -1},  {26, 0, 1},  // the search for 0 runs into the second copy
      {0, 10, 18},  {0, 5, -18},  {0, 1, -14}, {10, 0, -18}, {5, 0, 18},
      {26, 32, 2},  {3, 15, 4},   {17, 17, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SignedDistance(c.from, c.to), c.distance) << c.from << "->" << c.to;
}

TEST(SignedDistanceTest, StepsAroundTheWheelFromEveryNumber) {
  for (int p = 0; p < 37; ++p) {
    const int from = kWheelOrder[p];
    for (int steps = -18; steps <= 18; ++steps) {
      const int to = PocketsFromZero(p + steps);
      EXPECT_EQ(SignedDistance(from, to), steps) << from << "->" << to;
      EXPECT_EQ(SignedDistance(to, from), -steps) << to << "->" << from;
    }
  }
}

TEST(SignedDistanceTest, NumbersOutsideTheWheelAreRefused) {
  EXPECT_THROW(SignedDistance(37, 0), rt::RuntimeError);
  EXPECT_THROW(SignedDistance(0, -1), rt::RuntimeError);
}

TEST(WheelTest, RedNumbers) {
  for (int n = 0; n <= 36; ++n) EXPECT_EQ(IsRed(n), kReds.count(n) == 1) << n;
}

}  // namespace
}  // namespace kalvento::report
