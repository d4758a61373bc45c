// The small vector of the object lists, checked against std::vector over the same operations,
// across the step from its own room to the heap and back.
#include "base/smallvector.h"

#include <gtest/gtest.h>

#include <vector>

namespace quin {
namespace {

template <class V>
std::vector<int> Items(const V& Vec) {
  return std::vector<int>(Vec.begin(), Vec.end());
}

TEST(SmallVector, MatchesStdVectorAcrossItsOwnRoomAndTheHeap) {
  TSmallVector<int, 3> S;
  std::vector<int> R;
  EXPECT_TRUE(S.empty());
  EXPECT_EQ(S.capacity(), 3u);
  // Appends past the inline room, inserts at the front, middle and end, erases the same.
  for (int I = 0; I < 10; ++I) {
    S.push_back(I);
    R.push_back(I);
    ASSERT_EQ(Items(S), R) << I;
  }
  EXPECT_GE(S.capacity(), 10u);
  const struct {
    size_t At;
    int Value;
  } Inserts[] = {{0, 100}, {5, 101}, {12, 102}, {13, 103}};
  for (const auto& C : Inserts) {
    S.insert(S.begin() + C.At, C.Value);
    R.insert(R.begin() + static_cast<long>(C.At), C.Value);
    ASSERT_EQ(Items(S), R) << C.At;
  }
  for (size_t At : {0u, 4u, 11u}) {
    S.erase(S.begin() + At);
    R.erase(R.begin() + static_cast<long>(At));
    ASSERT_EQ(Items(S), R) << At;
  }
  EXPECT_EQ(S[2], R[2]);
  EXPECT_EQ(S.size(), R.size());
  // Copies, inline and on the heap, are independent of their source.
  TSmallVector<int, 3> Copy = S;
  Copy[0] = -1;
  EXPECT_EQ(Items(S), R);
  TSmallVector<int, 3> Small;
  Small.push_back(7);
  TSmallVector<int, 3> SmallCopy(Small);
  SmallCopy.push_back(8);
  EXPECT_EQ(Items(Small), std::vector<int>{7});
  EXPECT_EQ(Items(SmallCopy), (std::vector<int>{7, 8}));
  Copy = Small;
  EXPECT_EQ(Items(Copy), std::vector<int>{7});
  const TSmallVector<int, 3>& Same = Copy;
  Copy = Same;  // assigning a vector to itself keeps it
  EXPECT_EQ(Items(Copy), std::vector<int>{7});
}

TEST(SmallVector, MoveToHandsOverItemsAndLeavesTheSourceEmpty) {
  for (int N : {0, 2, 3, 9}) {
    SCOPED_TRACE(N);
    TSmallVector<int, 3> From, To;
    To.push_back(42);
    std::vector<int> R;
    for (int I = 0; I < N; ++I) {
      From.push_back(I * I);
      R.push_back(I * I);
    }
    From.MoveTo(To);
    EXPECT_EQ(Items(To), R);
    EXPECT_TRUE(From.empty());
    From.push_back(1);  // the source is usable again
    EXPECT_EQ(Items(From), std::vector<int>{1});
    To.clear();
    EXPECT_TRUE(To.empty());
    EXPECT_EQ(To.capacity(), 3u);
  }
}

}  // namespace
}  // namespace quin
