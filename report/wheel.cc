#include "report/wheel.h"

#include "runtime/runtime_error.h"

namespace kalvento::report {

NeighbourTable BuildNeighbourTable() {
  NeighbourTable table{};
  // k = 38 - i + j (1-based) reads the doubled wheel; the diagonal hits the 0
  // that starts its second copy.
  for (int i = 1; i <= kPockets; ++i) {
    for (int j = 1; j <= kPockets; ++j) {
      int k = kPockets + 1 - i + j;
      table[i - 1][j - 1] = kDoubledWheel[k - 1];
    }
  }
  return table;
}

bool IsRed(int number) {
  for (int red : kRed) {
    if (red == number) return true;
  }
  return false;
}

int SignedDistance(int a, int b) {
  if (a < 0 || a >= kPockets || b < 0 || b >= kPockets) {
    throw rt::RuntimeError("argument error", "SignedDistance: numbers are 0 to 36");
  }
  // Positions in the doubled wheel: a in the first copy, b at or after a.
  int from = 0;
  while (kDoubledWheel[from] != a) ++from;
  int to = from;
  while (kDoubledWheel[to] != b) ++to;
  int forward = to - from;
  return forward > kHalfWheel ? forward - kPockets : forward;
}

}  // namespace kalvento::report
