#include "base/digest.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <array>
#include <cstdint>
#include <memory>

#include "base/exception.h"

#ifndef QUIN_PASSWORD_SALT_HEX
#error "QUIN_PASSWORD_SALT_HEX must be defined by the build (88 hexadecimal digits)"
#endif

namespace quin {
namespace {

constexpr std::size_t SaltLength = 44;

constexpr int HexValue(char C) {
  return (C >= '0' && C <= '9')   ? C - '0'
         : (C >= 'A' && C <= 'F') ? C - 'A' + 10
         : (C >= 'a' && C <= 'f') ? C - 'a' + 10
                                  : -1;
}

constexpr bool ValidSaltHex(std::string_view Hex) {
  if (Hex.size() != SaltLength * 2) return false;
  for (char C : Hex)
    if (HexValue(C) < 0) return false;
  return true;
}

constexpr std::string_view SaltHex = QUIN_PASSWORD_SALT_HEX;
static_assert(ValidSaltHex(SaltHex), "the password salt must be 44 bytes as 88 hexadecimal digits");

constexpr std::array<char, SaltLength> DecodeSalt() {
  std::array<char, SaltLength> Bytes{};
  for (std::size_t I = 0; I < SaltLength; ++I)
    Bytes[I] = char(HexValue(SaltHex[2 * I]) * 16 + HexValue(SaltHex[2 * I + 1]));
  return Bytes;
}

// The salt lives only here; it is never logged or written anywhere.
constexpr std::array<char, SaltLength> InstallationSalt = DecodeSalt();

struct MdCtxFree {
  void operator()(EVP_MD_CTX* C) const { EVP_MD_CTX_free(C); }
};

}  // namespace

std::string SaltedDigest(std::string_view Text1, std::string_view Salt, std::string_view Text2) {
  std::unique_ptr<EVP_MD_CTX, MdCtxFree> Ctx(EVP_MD_CTX_new());
  unsigned char Md[EVP_MAX_MD_SIZE];
  unsigned int MdLen = 0;
  if (!Ctx || EVP_DigestInit_ex(Ctx.get(), EVP_md5(), nullptr) != 1 ||
      EVP_DigestUpdate(Ctx.get(), Text1.data(), Text1.size()) != 1 ||
      EVP_DigestUpdate(Ctx.get(), Salt.data(), Salt.size()) != 1 ||
      EVP_DigestUpdate(Ctx.get(), Text2.data(), Text2.size()) != 1 ||
      EVP_DigestFinal_ex(Ctx.get(), Md, &MdLen) != 1 || MdLen != 16)
    throw Exception("MD5 digest unavailable");
  static const char Digits[] = "0123456789ABCDEF";
  std::string Out;
  Out.reserve(32);
  // Four little-endian words, each written most significant digit first.
  for (int Word = 0; Word < 4; ++Word)
    for (int Byte = 3; Byte >= 0; --Byte) {
      const unsigned char B = Md[Word * 4 + Byte];
      Out += Digits[B >> 4];
      Out += Digits[B & 15];
    }
  return Out;
}

std::string PasswordDigest(std::string_view Text1, std::string_view Text2) {
  const std::string_view S(InstallationSalt.data(), InstallationSalt.size());
  return SaltedDigest(Text1, S, Text2);
}

bool DigestsEqual(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  return A.empty() || CRYPTO_memcmp(A.data(), B.data(), A.size()) == 0;
}

}  // namespace quin
