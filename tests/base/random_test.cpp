#include "base/random.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "base/exception.h"

namespace quin {
namespace {

// A generator that answers from a script, to pin what RandomString does with the answers.
class TScriptedRandGen : public TOrvRandGen {
 public:
  explicit TScriptedRandGen(std::vector<int> Answers) : Answers(std::move(Answers)) {}
  uint32_t GetSeed() override { return 0; }
  void SetSeed(uint32_t) override {}
  int RandomInt(int Range) override {
    Ranges.push_back(Range);
    return Answers[Next++ % Answers.size()];
  }
  double RandomReal() override { return Real; }
  void Randomize() override {}
  std::vector<int> Answers;
  std::vector<int> Ranges;
  size_t Next = 0;
  double Real = 0.5;
};

TEST(RandGen, DefaultGeneratorIsOneSharedSourceAndSeedReproducesSequence) {
  TOrvRandGen& Gen = DefaultRandGen();
  EXPECT_EQ(&Gen, &DefaultRandGen());
  EXPECT_TRUE(Gen.IsExactly<TOrvRandGenDefault>());
  EXPECT_TRUE(Gen.Is<TOrvRandGen>());

  Gen.SetSeed(4711);
  EXPECT_EQ(Gen.GetSeed(), 4711u);
  std::vector<double> First;
  for (int I = 0; I < 50; ++I) First.push_back(I % 2 ? Gen.RandomReal() : Gen.RandomInt(1000));
  EXPECT_NE(Gen.GetSeed(), 4711u);  // the state is the seed

  // Another instance is a view of the same source.
  TOrvRandGenDefault Other;
  Other.SetSeed(4711);
  std::vector<double> Second;
  for (int I = 0; I < 50; ++I) Second.push_back(I % 2 ? Gen.RandomReal() : Gen.RandomInt(1000));
  EXPECT_EQ(First, Second);
  EXPECT_GT(std::set<double>(First.begin(), First.end()).size(), 40u);
}

TEST(RandGen, RangesOfIntegersAndReals) {
  TOrvRandGen& Gen = DefaultRandGen();
  Gen.SetSeed(1);
  for (int Range : {1, 2, 3, 7, 1000, std::numeric_limits<int>::max()}) {
    std::set<int> Seen;
    for (int I = 0; I < 2000; ++I) {
      const int R = Gen.RandomInt(Range);
      ASSERT_GE(R, 0);
      ASSERT_LT(R, Range);
      Seen.insert(R);
    }
    if (Range <= 7) {
      EXPECT_EQ(int(Seen.size()), Range) << Range;  // every value comes up
    }
  }
  EXPECT_EQ(Gen.RandomInt(0), 0);
  EXPECT_EQ(Gen.RandomInt(-5), 0);

  double Sum = 0;
  for (int I = 0; I < 10000; ++I) {
    const double R = Gen.RandomReal();
    ASSERT_GE(R, 0.0);
    ASSERT_LT(R, 1.0);
    Sum += R;
  }
  EXPECT_NEAR(Sum / 10000, 0.5, 0.02);

  for (int I = 0; I < 100; ++I) {
    EXPECT_EQ(Gen.RandomBetween(2, 2), 2.0);
    const double B = Gen.RandomBetween(-3, 5);
    EXPECT_GE(B, -3.0);
    EXPECT_LT(B, 5.0);
  }
  TScriptedRandGen Scripted({0});
  Scripted.Real = 0.25;
  EXPECT_EQ(Scripted.RandomBetween(10, 20), 12.5);
}

TEST(RandGen, RandomizeSeedsFromTheClock) {
  TOrvRandGen& Gen = DefaultRandGen();
  Gen.SetSeed(0);
  Gen.Randomize();
  const uint32_t A = Gen.GetSeed();
  Gen.Randomize();
  // Two readings of a nanosecond clock in a row.
  EXPECT_NE(Gen.GetSeed(), A);
}

TEST(RandomString, PicksMembersInAscendingCodeOrder) {
  TOrvCharSet Chars;
  Chars.Bits.set('z');
  Chars.Bits.set('a');
  Chars.Bits.set(0xB9);
  TScriptedRandGen Gen({2, 0, 1, 1});
  EXPECT_EQ(RandomString(Gen, 5, Chars),
            "\xB9"
            "azz\xB9");
  EXPECT_EQ(Gen.Ranges, std::vector<int>(5, 3));

  TOrvCharSet One;
  One.Bits.set('x');
  EXPECT_EQ(RandomString(DefaultRandGen(), 6, One), "xxxxxx");
  EXPECT_EQ(RandomString(DefaultRandGen(), 0, One), "");
  EXPECT_EQ(RandomString(DefaultRandGen(), -1, One), "");

  // Nothing to pick from, or a generator answering outside its range: an error, not a crash.
  EXPECT_THROW(RandomString(DefaultRandGen(), 3, TOrvCharSet()), EListError);
  TScriptedRandGen Wild({3});
  EXPECT_THROW(RandomString(Wild, 1, Chars), EListError);
  TScriptedRandGen Negative({-1});
  EXPECT_THROW(RandomString(Negative, 1, Chars), EListError);

  TOrvCharSet Digits;
  for (char C = '0'; C <= '9'; ++C) Digits.Bits.set(static_cast<unsigned char>(C));
  const std::string S = RandomString(DefaultRandGen(), 200, Digits);
  ASSERT_EQ(S.size(), 200u);
  EXPECT_TRUE(std::all_of(S.begin(), S.end(), [](char C) { return C >= '0' && C <= '9'; }));
}

TEST(CountSetMembers, Counts) {
  TOrvCharSet Set;
  EXPECT_EQ(CountSetMembers(Set), 0);
  Set.Bits.set(0);
  Set.Bits.set(255);
  Set.Bits.set('a');
  EXPECT_EQ(CountSetMembers(Set), 3);
  Set.Bits.set();
  EXPECT_EQ(CountSetMembers(Set), 256);
}

// ---- Sorting ----------------------------------------------------------------------------------

TEST(Sorting, SmallCasesAndMissingArrays) {
  std::vector<double> D = {3, 1, 2, 1};
  SortDoubles(D);
  EXPECT_EQ(D, (std::vector<double>{1, 1, 2, 3}));
  double One[] = {7};
  SortDoubles(One, 1);
  EXPECT_EQ(One[0], 7);
  SortDoubles(nullptr, 5);
  SortIntegers(nullptr, 5);
  int32_t Neg[] = {2, 1};
  SortIntegers(Neg, -1);  // a negative count sorts nothing
  EXPECT_EQ(Neg[0], 2);
  SortIntegers(Neg, 2);
  EXPECT_EQ(Neg[0], 1);
  int32_t Head[] = {5, 4, 3, 2, 1};
  SortIntegers(Head, 3);  // only the first Count values
  EXPECT_EQ(std::vector<int32_t>(Head, Head + 5), (std::vector<int32_t>{3, 4, 5, 2, 1}));
  std::vector<int32_t> Extremes = {std::numeric_limits<int32_t>::max(), 0,
                                   std::numeric_limits<int32_t>::min(), -1};
  SortIntegers(Extremes);
  EXPECT_EQ(Extremes, (std::vector<int32_t>{std::numeric_limits<int32_t>::min(), -1, 0,
                                            std::numeric_limits<int32_t>::max()}));
  std::vector<double> Signed = {0.5, -0.0, -1e300, 1e-300, -2.5};
  SortDoubles(Signed);
  EXPECT_EQ(Signed, (std::vector<double>{-1e300, -2.5, -0.0, 1e-300, 0.5}));
}

// Arrays that drive a middle-pivot quicksort to its worst cases, and random ones. Shape 5 would
// take a plain middle-pivot quicksort quadratic time; it is sorted at full size on the small
// stack below.
std::vector<std::vector<int32_t>> Shapes(int N) {
  std::vector<std::vector<int32_t>> All;
  std::vector<int32_t> V(static_cast<size_t>(N));
  for (int I = 0; I < N; ++I) V[size_t(I)] = I;
  All.push_back(V);                        // sorted
  All.emplace_back(V.rbegin(), V.rend());  // reversed
  All.emplace_back(size_t(N), 42);         // all equal
  for (int I = 0; I < N; ++I) V[size_t(I)] = std::min(I, N - 1 - I);
  All.push_back(V);  // organ pipe
  for (int I = 0; I < N; ++I) V[size_t(I)] = I % 2 ? I : N - I;
  All.push_back(V);  // interleaved
  // The middle of every range the sort visits holds the largest value of that range, so each
  // pass splits off one element: the depth grows with N unless the smaller part is recursed.
  std::vector<int32_t> Killer(static_cast<size_t>(N));
  std::vector<int> Slot(static_cast<size_t>(N));  // which starting position each slot holds
  for (int I = 0; I < N; ++I) Slot[size_t(I)] = I;
  for (int R = N - 1; R >= 1; --R) {
    Killer[size_t(Slot[size_t(R / 2)])] = R;
    std::swap(Slot[size_t(R / 2)], Slot[size_t(R)]);
  }
  Killer[size_t(Slot[0])] = 0;
  All.push_back(Killer);
  uint32_t State = 99;
  for (int Range : {N, 10, 2}) {
    for (int I = 0; I < N; ++I) {
      State = State * 1664525u + 1013904223u;
      V[size_t(I)] = int32_t(State >> 1) % Range - Range / 2;
    }
    All.push_back(V);  // random, with few or many repeats
  }
  return All;
}

TEST(Sorting, IntegersAgreeWithStdSort) {
  for (int N : {2, 3, 17, 1000, 100000}) {
    int Shape = 0;
    for (std::vector<int32_t> V : Shapes(N)) {
      if (Shape++ == 5 && N > 1000) continue;
      std::vector<int32_t> Want = V;
      std::sort(Want.begin(), Want.end());
      SortIntegers(V.data(), int(V.size()));
      EXPECT_EQ(V, Want) << "N " << N << " shape " << Shape - 1;
    }
  }
}

TEST(Sorting, DoublesAgreeWithStdSort) {
  for (int N : {2, 5, 1000, 100000}) {
    int Shape = 0;
    for (const std::vector<int32_t>& Ints : Shapes(N)) {
      if (Shape++ == 5 && N > 1000) continue;
      std::vector<double> V;
      for (int32_t I : Ints) V.push_back(I * 0.25 - 7.5);
      std::vector<double> Want = V;
      std::sort(Want.begin(), Want.end());
      SortDoubles(V);
      EXPECT_EQ(V, Want) << "N " << N << " shape " << Shape - 1;
    }
  }
}

// Runs Fn on a thread with a small stack, as a request thread has: a recursion depth that grows
// with the array overflows it.
void RunOnSmallStack(void (*Fn)()) {
  pthread_attr_t Attr;
  ASSERT_EQ(pthread_attr_init(&Attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&Attr, 256 * 1024), 0);
  pthread_t Thread;
  ASSERT_EQ(pthread_create(
                &Thread, &Attr,
                [](void* F) -> void* {
                  reinterpret_cast<void (*)()>(F)();
                  return nullptr;
                },
                reinterpret_cast<void*>(Fn)),
            0);
  pthread_join(Thread, nullptr);
  pthread_attr_destroy(&Attr);
}

TEST(Sorting, AdversarialArraysNeedOnlyAShallowStack) {
  static bool IntsSorted = false, DoublesSorted = false;
  RunOnSmallStack([] {
    std::vector<int32_t> V = Shapes(100000)[5];  // the middle-is-largest shape
    SortIntegers(V);
    IntsSorted = std::is_sorted(V.begin(), V.end());
  });
  RunOnSmallStack([] {
    const std::vector<int32_t> Ints = Shapes(100000)[5];
    const std::vector<double> Copy(Ints.begin(), Ints.end());
    std::vector<double> V = Copy;
    SortDoubles(V.data(), int(V.size()));
    DoublesSorted = std::is_sorted(V.begin(), V.end());
  });
  EXPECT_TRUE(IntsSorted);
  EXPECT_TRUE(DoublesSorted);
}

TEST(Sorting, NotANumberNeverLeadsOutOfTheArray) {
  // The order of NaN values is unspecified; the sort must still stay inside the array and end.
  const double NaN = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> V = {3, NaN, 1, NaN, 2, NaN, NaN, 0};
  SortDoubles(V);
  EXPECT_EQ(std::count_if(V.begin(), V.end(), [](double X) { return std::isnan(X); }), 4);
  std::vector<double> AllNaN(1000, NaN);
  SortDoubles(AllNaN);
  EXPECT_EQ(AllNaN.size(), 1000u);
  EXPECT_TRUE(std::all_of(AllNaN.begin(), AllNaN.end(), [](double X) { return std::isnan(X); }));
}

}  // namespace
}  // namespace quin
