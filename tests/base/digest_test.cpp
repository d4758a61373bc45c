#include "base/digest.h"

#include <gtest/gtest.h>

#include <string>

namespace quin {
namespace {

bool IsUpperHex32(const std::string& S) {
  if (S.size() != 32) return false;
  for (char C : S)
    if (!((C >= '0' && C <= '9') || (C >= 'A' && C <= 'F'))) return false;
  return true;
}

TEST(Digest, Md5VectorsAsLittleEndianWords) {
  struct Case {
    std::string T1, Salt, T2, Expected;
  } Cases[] = {
      {"", "", "", "D98C1DD404B2008F980980E97E42F8EC"},  // MD5("")
      {"abc", "", "", "98500190B04FD23C7D3F96D6727FE128"},
      {"a", "b", "c", "98500190B04FD23C7D3F96D6727FE128"},  // joined without separators
      {"", "", "abc", "98500190B04FD23C7D3F96D6727FE128"},
      {"message ", "", "digest", "7D696BF98D93B77C312F5A52D061F1AA"},
      {"\x80\x81\x82\x83", "\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F", "abc",
       "8D89E43E07D07342747BB58AC59EBB91"},  // bytes above 127 taken as they are
  };
  for (const auto& C : Cases)
    EXPECT_EQ(SaltedDigest(C.T1, C.Salt, C.T2), C.Expected) << C.T1 << "|" << C.T2;
}

TEST(Digest, PasswordDigestUsesTheSaltBetweenLoginAndPassword) {
  const std::string Empty = PasswordDigest("", "");
  EXPECT_TRUE(IsUpperHex32(Empty)) << Empty;
  EXPECT_NE(Empty, SaltedDigest("", "", ""));  // the digest of the salt alone, not of ""
  EXPECT_EQ(PasswordDigest("admin", "secret"), PasswordDigest("admin", "secret"));
  EXPECT_NE(PasswordDigest("admin", "secret"), PasswordDigest("secret", "admin"));
  // The salt separates the two texts: moving a byte across it changes the digest.
  EXPECT_NE(PasswordDigest("ab", "c"), PasswordDigest("a", "bc"));
  EXPECT_NE(PasswordDigest("admin", "secret"), SaltedDigest("admin", "", "secret"));
  for (const char* Login : {"a", "Zbigniew", "\xA3\xF3\x64\xBC"})
    EXPECT_TRUE(IsUpperHex32(PasswordDigest(Login, "p"))) << Login;
}

TEST(Digest, DigestsEqualComparesWholeTexts) {
  const std::string D = PasswordDigest("user", "pass");
  EXPECT_TRUE(DigestsEqual(D, PasswordDigest("user", "pass")));
  EXPECT_FALSE(DigestsEqual(D, PasswordDigest("user", "Pass")));
  EXPECT_FALSE(DigestsEqual(D, D.substr(0, 31)));
  EXPECT_FALSE(DigestsEqual(D, ""));
  std::string Lower = D;
  for (char& C : Lower) C = char(C >= 'A' && C <= 'F' ? C + 32 : C);
  if (Lower != D) {  // case matters
    EXPECT_FALSE(DigestsEqual(D, Lower));
  }
  EXPECT_TRUE(DigestsEqual("", ""));
}

}  // namespace
}  // namespace quin
