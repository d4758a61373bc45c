// A set of 8-bit characters (the platform's "set of Char"): 256 bits.
#pragma once

#include <bitset>
#include <string_view>

namespace quin {

struct TOrvCharSet {
  std::bitset<256> Bits;
  bool Has(char C) const { return Bits[static_cast<unsigned char>(C)]; }
  TOrvCharSet& Add(char C) {
    Bits.set(static_cast<unsigned char>(C));
    return *this;
  }
  TOrvCharSet& AddRange(char From, char To) {
    for (int C = static_cast<unsigned char>(From); C <= static_cast<unsigned char>(To); ++C)
      Bits.set(static_cast<size_t>(C));
    return *this;
  }
  TOrvCharSet& AddChars(std::string_view Chars) {
    for (char C : Chars) Add(C);
    return *this;
  }
  void Clear() { Bits.reset(); }
};

}  // namespace quin
