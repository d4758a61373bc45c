// Globally unique identifiers: the 16-byte binary form (little-endian fields, as the files
// hold them) and the text form "{3991C166-F2A3-4C70-B115-FB13D7491403}".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quin {

struct TGUID {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  uint8_t Data4[8] = {};

  friend bool operator==(const TGUID& A, const TGUID& B);
  friend bool operator!=(const TGUID& A, const TGUID& B) { return !(A == B); }
};

// The 16 bytes of the binary layout: Data1, Data2, Data3 little-endian, then Data4 in order.
void GUIDToBytes(const TGUID& G, uint8_t (&Bytes)[16]);
TGUID GUIDFromBytes(const uint8_t (&Bytes)[16]);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hex digits.
std::string GUIDToString(const TGUID& G);
// Accepts exactly the 38-character text form (hex digits of either case); anything else
// (missing braces, blanks, wrong length, other characters) is refused.
bool TryStringToGUID(std::string_view S, TGUID& G);
// As TryStringToGUID; a refused text raises EOrvException naming it.
TGUID StringToGUID(std::string_view S);

// A new random GUID (version 4, from the system's random source); never the null GUID.
TGUID NewGUID();
// All sixteen bytes zero.
bool IsNullGUID(const TGUID& G);

}  // namespace quin
