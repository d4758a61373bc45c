#include "base/random.h"

#include <chrono>
#include <cstddef>
#include <mutex>

#include "base/exception.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvRandGen, TObject)
QUIN_IMPLEMENT_CLASS(TOrvRandGenDefault, TOrvRandGen)

double TOrvRandGen::RandomBetween(double Low, double High) {
  return Low + RandomReal() * (High - Low);
}

namespace {

// The process-wide source.
std::mutex SourceLock;
uint32_t SourceSeed = 0;

// Advances the source and returns its new state. The caller holds SourceLock.
uint32_t NextState() {
  SourceSeed = SourceSeed * 1664525u + 1013904223u;
  return SourceSeed;
}

}  // namespace

uint32_t TOrvRandGenDefault::GetSeed() {
  std::lock_guard<std::mutex> Guard(SourceLock);
  return SourceSeed;
}

void TOrvRandGenDefault::SetSeed(uint32_t Seed) {
  std::lock_guard<std::mutex> Guard(SourceLock);
  SourceSeed = Seed;
}

int TOrvRandGenDefault::RandomInt(int Range) {
  if (Range <= 0) return 0;
  std::lock_guard<std::mutex> Guard(SourceLock);
  // The high bits of the state scaled to the range: the low bits of an LCG are weak.
  return int((uint64_t(NextState()) * uint64_t(Range)) >> 32);
}

double TOrvRandGenDefault::RandomReal() {
  std::lock_guard<std::mutex> Guard(SourceLock);
  return double(NextState()) / 4294967296.0;
}

void TOrvRandGenDefault::Randomize() {
  const auto Ticks = uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^
                     uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  SetSeed(uint32_t(Ticks) ^ uint32_t(Ticks >> 32));
}

TOrvRandGen& DefaultRandGen() {
  static TOrvRandGenDefault Gen;
  return Gen;
}

std::string RandomString(TOrvRandGen& Gen, int Length, const TOrvCharSet& Chars) {
  if (Length <= 0) return {};
  std::string Members;
  for (size_t C = 0; C < Chars.Bits.size(); ++C)
    if (Chars.Bits.test(C)) Members += char(C);
  if (Members.empty()) throw EListError("RandomString: the character set is empty");
  std::string R(size_t(Length), '\0');
  for (char& Ch : R) {
    const int I = Gen.RandomInt(int(Members.size()));
    // A replaced generator might answer out of range.
    if (I < 0 || size_t(I) >= Members.size())
      throw EListError("RandomString: the generator answered outside its range");
    Ch = Members[size_t(I)];
  }
  return R;
}

namespace {

// Heap sort of A[L..R]; every index it touches stays inside the range whatever the values
// (NaN included).
template <class T>
void HeapSort(T* A, ptrdiff_t L, ptrdiff_t R) {
  T* B = A + L;
  const ptrdiff_t N = R - L + 1;
  auto Sift = [B](ptrdiff_t Root, ptrdiff_t End) {
    while (2 * Root + 1 < End) {
      ptrdiff_t Child = 2 * Root + 1;
      if (Child + 1 < End && B[Child] < B[Child + 1]) ++Child;
      if (!(B[Root] < B[Child])) return;
      const T X = B[Root];
      B[Root] = B[Child];
      B[Child] = X;
      Root = Child;
    }
  };
  for (ptrdiff_t I = N / 2 - 1; I >= 0; --I) Sift(I, N);
  for (ptrdiff_t End = N - 1; End > 0; --End) {
    const T X = B[0];
    B[0] = B[End];
    B[End] = X;
    Sift(0, End);
  }
}

// Quicksort with the middle element's value as pivot and Hoare partitioning. Every pass starts
// with the pivot inside the range and every swap leaves a stopper on each side, so the scans
// never leave the range. Recursing only into the smaller part keeps the depth below log2(n).
// Crafted values could still make the middle pivot take quadratic time; a range that needs
// more than 2 log2(n) partition passes is finished by heap sort. Equal values cannot be told
// apart, so the result is the same sorted array either way.
template <class T>
void QuickSort(T* A, ptrdiff_t L, ptrdiff_t R, int Budget) {
  while (L < R) {
    if (Budget-- <= 0) {
      HeapSort(A, L, R);
      return;
    }
    const T Pivot = A[L + (R - L) / 2];
    ptrdiff_t I = L, J = R;
    do {
      while (A[I] < Pivot) ++I;
      while (A[J] > Pivot) --J;
      if (I <= J) {
        const T X = A[I];
        A[I] = A[J];
        A[J] = X;
        ++I;
        --J;
      }
    } while (I <= J);
    // Now L..J and I..R remain, both shorter than L..R.
    if (J - L < R - I) {
      if (L < J) QuickSort(A, L, J, Budget);
      L = I;
    } else {
      if (I < R) QuickSort(A, I, R, Budget);
      R = J;
    }
  }
}

template <class T>
void QuickSort(T* A, ptrdiff_t L, ptrdiff_t R) {
  int Depth = 0;
  for (ptrdiff_t N = R - L + 1; N > 1; N >>= 1) ++Depth;
  QuickSort(A, L, R, 2 * Depth + 2);
}

}  // namespace

void SortDoubles(double* Values, int Count) {
  if (Values && Count >= 2) QuickSort(Values, 0, Count - 1);
}

void SortIntegers(int32_t* Values, int Count) {
  if (Values && Count >= 2) QuickSort(Values, 0, Count - 1);
}

void SortDoubles(std::vector<double>& Values) {
  if (Values.size() >= 2) QuickSort(Values.data(), 0, ptrdiff_t(Values.size()) - 1);
}

void SortIntegers(std::vector<int32_t>& Values) {
  if (Values.size() >= 2) QuickSort(Values.data(), 0, ptrdiff_t(Values.size()) - 1);
}

int CountSetMembers(const TOrvCharSet& Set) { return int(Set.Bits.count()); }

}  // namespace quin
