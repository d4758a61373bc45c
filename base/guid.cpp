#include "base/guid.h"

#include <sys/random.h>

#include <cstring>

#include "base/orvexceptions.h"
#include "base/text.h"

namespace quin {

bool operator==(const TGUID& A, const TGUID& B) {
  return A.Data1 == B.Data1 && A.Data2 == B.Data2 && A.Data3 == B.Data3 &&
         std::memcmp(A.Data4, B.Data4, sizeof A.Data4) == 0;
}

void GUIDToBytes(const TGUID& G, uint8_t (&Bytes)[16]) {
  for (int I = 0; I < 4; ++I) Bytes[I] = static_cast<uint8_t>(G.Data1 >> (8 * I));
  for (int I = 0; I < 2; ++I) Bytes[4 + I] = static_cast<uint8_t>(G.Data2 >> (8 * I));
  for (int I = 0; I < 2; ++I) Bytes[6 + I] = static_cast<uint8_t>(G.Data3 >> (8 * I));
  std::memcpy(Bytes + 8, G.Data4, 8);
}

TGUID GUIDFromBytes(const uint8_t (&Bytes)[16]) {
  TGUID G;
  for (int I = 3; I >= 0; --I) G.Data1 = (G.Data1 << 8) | Bytes[I];
  G.Data2 = static_cast<uint16_t>(Bytes[4] | (Bytes[5] << 8));
  G.Data3 = static_cast<uint16_t>(Bytes[6] | (Bytes[7] << 8));
  std::memcpy(G.Data4, Bytes + 8, 8);
  return G;
}

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& S, uint64_t Value, int Digits) {
  for (int I = Digits - 1; I >= 0; --I) S += kHexDigits[(Value >> (4 * I)) & 0xF];
}

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

// Reads Digits hex digits at S[Pos]; false on any other character.
bool ParseHex(std::string_view S, size_t Pos, int Digits, uint64_t& Value) {
  Value = 0;
  for (int I = 0; I < Digits; ++I) {
    int D = HexValue(S[Pos + I]);
    if (D < 0) return false;
    Value = (Value << 4) | static_cast<uint64_t>(D);
  }
  return true;
}

}  // namespace

std::string GUIDToString(const TGUID& G) {
  std::string S;
  S.reserve(38);
  S += '{';
  AppendHex(S, G.Data1, 8);
  S += '-';
  AppendHex(S, G.Data2, 4);
  S += '-';
  AppendHex(S, G.Data3, 4);
  S += '-';
  AppendHex(S, G.Data4[0], 2);
  AppendHex(S, G.Data4[1], 2);
  S += '-';
  for (int I = 2; I < 8; ++I) AppendHex(S, G.Data4[I], 2);
  S += '}';
  return S;
}

bool TryStringToGUID(std::string_view S, TGUID& G) {
  if (S.size() != 38 || S[0] != '{' || S[37] != '}' || S[9] != '-' || S[14] != '-' ||
      S[19] != '-' || S[24] != '-')
    return false;
  TGUID R;
  uint64_t V;
  if (!ParseHex(S, 1, 8, V)) return false;
  R.Data1 = static_cast<uint32_t>(V);
  if (!ParseHex(S, 10, 4, V)) return false;
  R.Data2 = static_cast<uint16_t>(V);
  if (!ParseHex(S, 15, 4, V)) return false;
  R.Data3 = static_cast<uint16_t>(V);
  const size_t BytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int I = 0; I < 8; ++I) {
    if (!ParseHex(S, BytePos[I], 2, V)) return false;
    R.Data4[I] = static_cast<uint8_t>(V);
  }
  G = R;
  return true;
}

TGUID StringToGUID(std::string_view S) {
  TGUID G;
  if (!TryStringToGUID(S, G))
    throw EOrvException(Cp1250("<PLK>'%s' nie jest prawidłowym identyfikatorem GUID.<ENU>'%s' "
                               "is not a valid GUID value."),
                        TDynStringArr{std::string(S)});
  return G;
}

namespace {

// The system's random bytes, fetched a page at a time per thread: a table calculation makes a
// GUID for every header group it builds, and one system call each would be most of its cost.
// (The server starts other programs only through exec, so no copy of a thread's bytes lives on
// in a forked process.)
struct TRandomBytes {
  uint8_t Bytes[4096];
  size_t Next = sizeof Bytes;

  void Take(uint8_t* To, size_t Count) {
    if (Next + Count > sizeof Bytes) {
      size_t Got = 0;
      while (Got < sizeof Bytes) {
        const ssize_t N = getrandom(Bytes + Got, sizeof Bytes - Got, 0);
        if (N > 0) Got += static_cast<size_t>(N);
      }
      Next = 0;
    }
    std::memcpy(To, Bytes + Next, Count);
    // Bytes handed out are not kept.
    std::memset(Bytes + Next, 0, Count);
    Next += Count;
  }
};

}  // namespace

TGUID NewGUID() {
  thread_local TRandomBytes Random;
  uint8_t B[16];
  Random.Take(B, sizeof B);
  B[7] = static_cast<uint8_t>((B[7] & 0x0F) | 0x40);  // version 4 (Data3's high nibble)
  B[8] = static_cast<uint8_t>((B[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  return GUIDFromBytes(B);
}

bool IsNullGUID(const TGUID& G) { return G == TGUID{}; }

}  // namespace quin
