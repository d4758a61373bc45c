// Replaceable random-number generators, in-place sorting of number arrays and the number of
// members of a 256-element set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/charset.h"
#include "base/metaclass.h"

namespace quin {

// A random-number generator; analysis code takes one so that tests can pass their own.
class TOrvRandGen : public TObject {
  QUIN_CLASS(TOrvRandGen, TObject)
 public:
  virtual uint32_t GetSeed() = 0;
  virtual void SetSeed(uint32_t Seed) = 0;
  // An integer 0 <= r < Range; 0 when Range <= 0.
  virtual int RandomInt(int Range) = 0;
  // A double 0 <= r < 1.
  virtual double RandomReal() = 0;
  // Seeds the generator from the clock.
  virtual void Randomize() = 0;
  // Low + RandomReal() * (High - Low).
  double RandomBetween(double Low, double High);
};

// The default generator: a view of the process-wide pseudo-random source, a 32-bit linear
// congruential generator whose state is its seed. Every instance shares that one source;
// access to it is serialised.
class TOrvRandGenDefault : public TOrvRandGen {
  QUIN_CLASS(TOrvRandGenDefault, TOrvRandGen)
 public:
  uint32_t GetSeed() override;
  void SetSeed(uint32_t Seed) override;
  int RandomInt(int Range) override;
  double RandomReal() override;
  void Randomize() override;
};

// The program's one default generator, living as long as the process.
TOrvRandGen& DefaultRandGen();

// Length characters, each the member of Chars (taken in ascending code order) at index
// Gen.RandomInt(number of members). "" when Length <= 0; EListError when Chars is empty.
std::string RandomString(TOrvRandGen& Gen, int Length, const TOrvCharSet& Chars);

// Sort Count values ascending, in place (quicksort, not stable). Nothing happens when Values is
// null or Count < 2. The recursion depth stays logarithmic whatever the order of the values.
void SortDoubles(double* Values, int Count);
void SortIntegers(int32_t* Values, int Count);
void SortDoubles(std::vector<double>& Values);
void SortIntegers(std::vector<int32_t>& Values);

// The number of members of Set, 0 to 256.
int CountSetMembers(const TOrvCharSet& Set);

}  // namespace quin
