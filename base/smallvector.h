// A vector of trivially copyable items that keeps its first N items in itself and takes heap
// memory only beyond them. The object lists use it: most lists hold a handful of items and are
// made by the thousand (every cell of a table holds several), so most never allocate.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>

namespace quin {

template <class T, size_t N>
class TSmallVector {
  static_assert(std::is_trivially_copyable_v<T> && N > 0);

 public:
  TSmallVector() = default;
  TSmallVector(const TSmallVector& Other) { *this = Other; }
  TSmallVector& operator=(const TSmallVector& Other) {
    if (this == &Other) return *this;
    FSize = 0;
    reserve(Other.FSize);
    CopyItems(FData, Other.FData, Other.FSize);
    FSize = Other.FSize;
    return *this;
  }
  ~TSmallVector() { Release(); }

  size_t size() const { return FSize; }
  size_t capacity() const { return FCapacity; }
  bool empty() const { return FSize == 0; }
  T* begin() { return FData; }
  T* end() { return FData + FSize; }
  const T* begin() const { return FData; }
  const T* end() const { return FData + FSize; }
  T& operator[](size_t I) { return FData[I]; }
  const T& operator[](size_t I) const { return FData[I]; }
  std::span<const T> span() const { return {FData, FSize}; }

  // Room for Count items; throws (nothing changed) when memory runs out.
  void reserve(size_t Count) {
    if (Count <= FCapacity) return;
    T* P = std::allocator<T>().allocate(Count);
    CopyItems(P, FData, FSize);
    Release();
    FData = P;
    FCapacity = Count;
  }
  void push_back(const T& Item) {
    if (FSize == FCapacity) reserve(FCapacity * 2);
    FData[FSize++] = Item;
  }
  T* insert(T* Pos, const T& Item) {
    const size_t At = static_cast<size_t>(Pos - FData);
    if (FSize == FCapacity) reserve(FCapacity * 2);
    std::copy_backward(FData + At, FData + FSize, FData + FSize + 1);
    FData[At] = Item;
    ++FSize;
    return FData + At;
  }
  T* erase(T* Pos) {
    const size_t At = static_cast<size_t>(Pos - FData);
    std::copy(FData + At + 1, FData + FSize, FData + At);
    --FSize;
    return FData + At;
  }
  // Empties the vector and gives its heap memory back.
  void clear() {
    Release();
    FData = FInline;
    FCapacity = N;
    FSize = 0;
  }
  // Hands the items over to Other (which must be empty), leaving this vector empty.
  void MoveTo(TSmallVector& Other) {
    Other.clear();
    if (FData == FInline) {
      CopyItems(Other.FData, FInline, FSize);
    } else {
      Other.FData = FData;
      Other.FCapacity = FCapacity;
      FData = FInline;
      FCapacity = N;
    }
    Other.FSize = FSize;
    FSize = 0;
  }

 private:
  static void CopyItems(T* To, const T* From, size_t Count) { std::copy(From, From + Count, To); }
  void Release() {
    if (FData != FInline) std::allocator<T>().deallocate(FData, FCapacity);
  }

  T* FData = FInline;
  size_t FSize = 0;
  size_t FCapacity = N;
  T FInline[N];
};

}  // namespace quin
