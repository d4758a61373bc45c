#include "base/text.h"

#include <cstdint>

namespace quin {

namespace {

// Unicode code points of the Windows-1250 bytes 0x80..0xFF (0 = unassigned).
const uint16_t kHighHalf[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021, 0x0000, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

void AppendUtf8(std::string& Out, uint32_t Cp) {
  if (Cp < 0x80) {
    Out += char(Cp);
  } else if (Cp < 0x800) {
    Out += char(0xC0 | (Cp >> 6));
    Out += char(0x80 | (Cp & 0x3F));
  } else {
    Out += char(0xE0 | (Cp >> 12));
    Out += char(0x80 | ((Cp >> 6) & 0x3F));
    Out += char(0x80 | (Cp & 0x3F));
  }
}

}  // namespace

char CodePointToCp1250(uint32_t Cp) {
  if (Cp < 0x80) return char(Cp);
  for (int I = 0; I < 128; ++I)
    if (kHighHalf[I] == Cp) return char(0x80 + I);
  return '?';
}

std::string Cp1250(std::string_view Utf8) {
  std::string Out;
  Out.reserve(Utf8.size());
  size_t I = 0;
  const size_t N = Utf8.size();
  while (I < N) {
    const auto B = static_cast<unsigned char>(Utf8[I]);
    int Len = 0;
    uint32_t Cp = 0;
    if (B < 0x80) {
      Out += char(B);
      ++I;
      continue;
    } else if ((B & 0xE0) == 0xC0) {
      Len = 2;
      Cp = B & 0x1F;
    } else if ((B & 0xF0) == 0xE0) {
      Len = 3;
      Cp = B & 0x0F;
    } else if ((B & 0xF8) == 0xF0) {
      Len = 4;
      Cp = B & 0x07;
    } else {
      Out += '?';
      ++I;
      continue;
    }
    bool Ok = I + Len <= N;
    for (int K = 1; Ok && K < Len; ++K) {
      const auto C = static_cast<unsigned char>(Utf8[I + K]);
      if ((C & 0xC0) != 0x80)
        Ok = false;
      else
        Cp = (Cp << 6) | (C & 0x3F);
    }
    if (!Ok) {
      Out += '?';
      ++I;
      continue;
    }
    Out += CodePointToCp1250(Cp);
    I += Len;
  }
  return Out;
}

std::string Cp1250ToUtf8(std::string_view Text) {
  std::string Out;
  Out.reserve(Text.size() + Text.size() / 4);
  for (char Ch : Text) {
    const auto B = static_cast<unsigned char>(Ch);
    if (B < 0x80)
      Out += Ch;
    else
      AppendUtf8(Out, kHighHalf[B - 0x80] ? kHighHalf[B - 0x80] : uint32_t('?'));
  }
  return Out;
}

std::string LowerCase(std::string_view S) {
  std::string R(S);
  for (char& C : R) C = LowerChar(C);
  return R;
}

std::string UpperCase(std::string_view S) {
  std::string R(S);
  for (char& C : R) C = UpperChar(C);
  return R;
}

int CompareText(std::string_view A, std::string_view B) {
  const size_t N = A.size() < B.size() ? A.size() : B.size();
  for (size_t I = 0; I < N; ++I) {
    const auto X = static_cast<unsigned char>(LowerChar(A[I]));
    const auto Y = static_cast<unsigned char>(LowerChar(B[I]));
    if (X != Y) return X < Y ? -1 : 1;
  }
  if (A.size() == B.size()) return 0;
  return A.size() < B.size() ? -1 : 1;
}

bool SameText(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I)
    if (LowerChar(A[I]) != LowerChar(B[I])) return false;
  return true;
}

}  // namespace quin
