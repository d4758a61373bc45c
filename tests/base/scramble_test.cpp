#include "base/scramble.h"

#include <gtest/gtest.h>

#include <set>

namespace quin {
namespace {

TEST(Scramble, TablesAreInversePermutations) {
  BuildUnscrambleTable();
  const TScrambleTable& T = ScrambleTable();
  const TScrambleTable& U = UnscrambleTable();
  std::set<int> Values(T.begin(), T.end());
  EXPECT_EQ(Values.size(), 256u);
  for (int I = 0; I < 256; ++I) {
    EXPECT_EQ(U[T[I]], I);
    EXPECT_EQ(T[U[I]], I);
  }
}

TEST(Scramble, StringsKeepLengthAndComeBack) {
  EXPECT_EQ(ScrambleString(""), "");
  EXPECT_EQ(UnscrambleString(""), "");
  std::string All;
  for (int I = 0; I < 256; ++I) All += static_cast<char>(I);
  std::string S = ScrambleString(All);
  ASSERT_EQ(S.size(), 256u);
  EXPECT_EQ(std::set<char>(S.begin(), S.end()).size(), 256u);
  EXPECT_NE(S, All);
  EXPECT_EQ(UnscrambleString(S), All);
  const std::string Name("Kana\xB3\0TV", 8);
  EXPECT_EQ(UnscrambleString(ScrambleString(Name)), Name);
}

TEST(Scramble, TableStaysFixed) {
  // Files written earlier are read with the same table: a change would make them unreadable.
  EXPECT_EQ(ScrambleString("AB"), "\x83\xD6");
  EXPECT_EQ(ScrambleString(std::string("\x00\xFF", 2)), std::string("\x75\x07", 2));
  EXPECT_EQ(UnscrambleString("\x83\xD6"), "AB");
}

}  // namespace
}  // namespace quin
