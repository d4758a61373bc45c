#include "deflang/rixcodereader.h"

#include <gtest/gtest.h>

#include <string>

#include "base/format.h"
#include "rix_fixture.h"

namespace quin {
namespace {

using test::MsgText;

std::string End(double X) {
  if (X == RixCodeMin) return "min";
  if (X == RixCodeMax) return "max";
  return FloatToStr(X, TFormatSettings{});
}

// Singles as their value; ranges as "[lo,hi]" with "(" or ")" for an exclusive end.
std::string Describe(const TRixCodeList& L) {
  std::string R;
  for (int I = 0; I < L.Count(); ++I) {
    if (I) R += " ";
    const TRixCode* C = L.GetItem(I);
    if (const auto* S = As<TRixCodeSingle>(C)) {
      R += End(S->Value());
    } else if (const auto* G = As<TRixCodeRange>(C)) {
      R += (G->LowerExclusive() ? "(" : "[") + End(G->Lower()) + "," + End(G->Upper()) +
           (G->UpperExclusive() ? ")" : "]");
    }
  }
  return R;
}

class RixCodeReaderTest : public test::TRixTest {
 protected:
  // Reads Text as a code list; Next receives what the reader left as the current token.
  std::string Read(const char* Text, const ClassInfo* Terminator, std::string* Next = nullptr) {
    Msgs.Clear();
    auto S = TRixScanner::CreateFromText(Text, &Msgs);
    S->NextToken();
    TRixCodeList L;
    ParseCodeList(L, *S, Terminator);
    if (Next) *Next = S->Token->Is<TOrvTokenEOF>() ? "<eof>" : S->Token->GetText();
    return Describe(L);
  }
};

TEST_F(RixCodeReaderTest, FormsOfCodes) {
  const ClassInfo* Semi = &TRixTokenInstrSep::StaticClass();
  const struct {
    const char* Text;
    const ClassInfo* Terminator;
    const char* Codes;
    const char* Msgs;
    const char* Next;
  } Cases[] = {
      {"1, 3:5, >= 10", nullptr, "1 [3,5] [10,max]", "", "<eof>"},
      {"4:", nullptr, "[4,max]", "", "<eof>"},
      {":4", nullptr, "[min,4]", "", "<eof>"},
      {"min:max", nullptr, "[min,max]", "", "<eof>"},
      {"MIN : Max", nullptr, "[min,max]", "", "<eof>"},
      {"min", nullptr, "min", "", "<eof>"},
      {"max, min", nullptr, "max min", "", "<eof>"},
      {"< 5, <= 6", nullptr, "[min,5) [min,6]", "", "<eof>"},
      {"> -2.5, >= -1e3", nullptr, "(-2.5,max] [-1000,max]", "", "<eof>"},
      {"-3:-1, 0.5", nullptr, "[-3,-1] 0.5", "", "<eof>"},
      {"1:, 2", nullptr, "[1,max] 2", "", "<eof>"},
      {"1, 3:; x", Semi, "1 [3,max]", "", "x"},
      {"1, 2; x", Semi, "1 2", "", "x"},
      {"5:1", nullptr, "[5,1]", "1:4 First value is greater than second value.", "<eof>"},
      {"2:2.0", nullptr, "[2,2]", "1:6 First value is equal to the second value.", "<eof>"},
      {"1 2", nullptr, "1", "1:3 \";\" expected.", "2"},
      {"1 2; x", Semi, "1", "1:3 \";\" expected.", "2"},
      {"1", Semi, "1", "1:2 \";\" expected.", "<eof>"},
      {"1, x; y", Semi, "1", "1:4 Number expected.", "y"},
      {">= ; y", Semi, "", "1:4 Number expected.", "y"},
      {"1, 2:max\r\ndef b", Semi, "1 [2,max]", "2:1 \";\" expected.", "def"},
      {"1, x\r\ndef b", Semi, "1", "1:4 Number expected. | 2:4 \";\" expected.", "def"},
  };
  for (const auto& C : Cases) {
    std::string Next;
    EXPECT_EQ(Read(C.Text, C.Terminator, &Next), C.Codes) << C.Text;
    EXPECT_EQ(MsgText(Msgs), C.Msgs) << C.Text;
    EXPECT_EQ(Next, C.Next) << C.Text;
  }
}

TEST_F(RixCodeReaderTest, OpenRangeBelowHoldsNoMissingValue) {
  auto S = TRixScanner::CreateFromText("<= 5", &Msgs);
  S->NextToken();
  TRixCodeList L;
  ParseCodeList(L, *S, nullptr);
  ASSERT_EQ(L.Count(), 1);
  EXPECT_TRUE(L.GetItem(0)->InRange(5));
  EXPECT_TRUE(L.GetItem(0)->InRange(-1e300));
  EXPECT_FALSE(L.GetItem(0)->InRange(-1.7e308));
}

TEST_F(RixCodeReaderTest, CommaAtTheEndOfTheTextIsFatal) {
  EXPECT_THROW(Read("1, 2,", nullptr), EMsgList_FatalError);
  EXPECT_EQ(MsgText(Msgs), "1:6 Unexpected end of file.");
  // Without a message list the reading ends all the same.
  auto S = TRixScanner::CreateFromText("1,", nullptr);
  S->NextToken();
  TRixCodeList L;
  ParseCodeList(L, *S, &TRixTokenInstrSep::StaticClass());
  EXPECT_EQ(Describe(L), "1");
}

TEST_F(RixCodeReaderTest, ListsReadIntoTheirNormalForm) {
  const struct {
    const char* Text;
    const char* Normal;
  } Cases[] = {
      {"1:5, 3:8, 2", "[1,8]"},     {"5:5", "5"},          {"3:1", ""},
      {"10, >= 7, 1", "1 [7,max]"}, {"< 3, 3", "[min,3]"},
  };
  for (const auto& C : Cases) {
    auto S = TRixScanner::CreateFromText(C.Text, &Msgs);
    S->NextToken();
    TRixCodeList L;
    ParseCodeList(L, *S, nullptr);
    NormalizeCodeList(L);
    EXPECT_EQ(Describe(L), C.Normal) << C.Text;
  }
}

}  // namespace
}  // namespace quin
