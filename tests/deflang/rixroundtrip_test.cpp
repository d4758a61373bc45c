// What the writer produces, the readers take back to the same values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "base/guid.h"
#include "base/text.h"
#include "deflang/rixcodereader.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"

namespace quin {
namespace {

uint64_t Bits(double D) {
  uint64_t B;
  std::memcpy(&B, &D, sizeof B);
  return B;
}
double FromBits(uint64_t B) {
  double D;
  std::memcpy(&D, &B, sizeof D);
  return D;
}

class RixRoundTripTest : public testing::Test {
 protected:
  // The scanner over what has been written, at its first token.
  TRixScanner& ReadBack() {
    Text = Out.DataString();
    S = TRixScanner::CreateFromText(Text, &Msgs);
    S->NextToken();
    return *S;
  }

  TMemoryStream Out;
  int Indent = 0;
  std::string Text;
  TOrvMsgList Msgs;
  std::unique_ptr<TRixScanner> S;
};

TEST_F(RixRoundTripTest, StringsAndTexts) {
  // Values in the reader's normal form: single blanks, no blank next to a line break.
  const std::string Strings[] = {"say \"hi\"",
                                 "\"\"",
                                 "line 1\r\nline 2",
                                 "a\r\n\r\nb",
                                 Cp1250("zażółć gęślą jaźń"),
                                 "C:\\temp",
                                 "x // not a comment",
                                 "/* nor this */",
                                 "a >> b",
                                 ""};
  const std::string Texts[] = {"a >> b", "x > y>", ">>", ">", "<<x>>", "a>>>>b", "end; def x"};
  WriteDefStart(Out, Indent, "block");
  for (const std::string& V : Strings) WriteKeyString(Out, Indent, "s", "note", V);
  for (const std::string& V : Texts) WriteKeyText(Out, Indent, "t", "", V);
  WriteDefEnd(Out, Indent);
  TRixScanner& Sc = ReadBack();
  ASSERT_TRUE(Sc.ReadDefComplexStart("block"));
  for (const std::string& V : Strings) {
    std::string R = "old";
    EXPECT_TRUE(Sc.ReadString("s", R, true, true, nullptr)) << V;
    EXPECT_EQ(R, V);
  }
  for (const std::string& V : Texts) {
    std::string R;
    EXPECT_TRUE(Sc.ReadString("t", R, false, true, nullptr)) << V;
    EXPECT_EQ(R, V);
  }
  EXPECT_TRUE(Sc.Accept(TRixTokenDefEnd::StaticClass()));
  EXPECT_TRUE(Sc.Accept(TRixTokenInstrSep::StaticClass()));
  EXPECT_TRUE(Sc.Token->Is<TOrvTokenEOF>());
  EXPECT_EQ(Msgs.Count(), 0) << Text;
}

TEST_F(RixRoundTripTest, MultiLineTextsComeBackAsTokens) {
  const std::string Texts[] = {"line 1\r\n  indented >> here\r\n", "\r\n>>\r\n>", "  x  "};
  for (const std::string& V : Texts) WriteKeyText(Out, Indent, "t", "", V);
  TRixScanner& Sc = ReadBack();
  for (const std::string& V : Texts) {
    ASSERT_TRUE(Sc.ReadDefSimpleStart("t"));
    ASSERT_TRUE(Sc.Token->Is<TOrvTokenStringMultiLine>());
    EXPECT_EQ(Sc.Token->GetText(), V);
    Sc.NextToken();
    EXPECT_TRUE(Sc.Accept(TRixTokenInstrSep::StaticClass()));
  }
  EXPECT_EQ(Msgs.Count(), 0);
}

TEST_F(RixRoundTripTest, IntegersBooleansIdentifiersAndGuids) {
  const int32_t Ints[] = {0, -12, 7, std::numeric_limits<int32_t>::max(),
                          std::numeric_limits<int32_t>::min()};
  const TGUID G = StringToGUID("{3991c166-f2a3-4c70-b115-fb13d7491403}");
  TOrvStreamGUIDHeader H;
  H.Signature = G;
  H.Version = 3;
  WriteDoNotChangeNote(Out);
  WriteFileHeader(Out, Indent, H);
  for (int32_t V : Ints) WriteKeyInteger(Out, Indent, "i", "", V);
  WriteKeyBoolean(Out, Indent, "on", "", true);
  WriteKeyBoolean(Out, Indent, "off", "", false);
  WriteKeyIdentifier(Out, Indent, "id", "", "press.title");
  WriteKeyIdentifier(Out, Indent, "id", "", "tv@channel_1");
  WriteKeyGUID(Out, Indent, "guid", "", G);

  TRixScanner& Sc = ReadBack();
  EXPECT_TRUE(Sc.ReadSignature("signature", G));
  int32_t Version = 0;
  EXPECT_TRUE(Sc.ReadVersion("version", 3, 3, Version));
  EXPECT_EQ(Version, 3);
  for (int32_t V : Ints) {
    int32_t R = 1;
    EXPECT_TRUE(Sc.ReadInteger("i", R)) << V;
    EXPECT_EQ(R, V);
  }
  bool On = false, Off = true;
  EXPECT_TRUE(Sc.ReadBoolean("on", On));
  EXPECT_TRUE(Sc.ReadBoolean("off", Off));
  EXPECT_TRUE(On);
  EXPECT_FALSE(Off);
  std::string Id;
  EXPECT_TRUE(Sc.ReadIdentifier("id", Id));
  EXPECT_EQ(Id, "press.title");
  EXPECT_TRUE(Sc.ReadIdentifier("id", Id));
  EXPECT_EQ(Id, "tv@channel_1");
  TGUID R;
  EXPECT_TRUE(Sc.ReadGUID("guid", R));
  EXPECT_EQ(R, G);
  EXPECT_TRUE(Sc.Token->Is<TOrvTokenEOF>());
  EXPECT_EQ(Msgs.Count(), 0) << Text;
}

TEST_F(RixRoundTripTest, DoublesComeBackBitForBit) {
  const double Values[] = {1.0,
                           -0.0,
                           0.0,
                           1e-300,
                           std::numeric_limits<double>::denorm_min(),
                           std::numeric_limits<double>::max(),
                           -std::numeric_limits<double>::infinity(),
                           FromBits(0x7FF8000000000123ull),  // NaN with a payload
                           FromBits(0xFFF0000000000001ull),  // signalling NaN, sign set
                           RixCodeMin,
                           0.1};
  for (double V : Values) WriteKeyDoubleBin(Out, Indent, "d", "", V);
  TRixScanner& Sc = ReadBack();
  for (double V : Values) {
    double R = 42;
    EXPECT_TRUE(Sc.ReadDoubleBin("d", R));
    EXPECT_EQ(Bits(R), Bits(V)) << std::hex << Bits(V);
  }
  EXPECT_EQ(Msgs.Count(), 0);
}

TEST_F(RixRoundTripTest, CodeListsInTheirStoredForm) {
  auto Make = [](std::initializer_list<TRixCode*> Codes) {
    auto L = std::make_unique<TRixCodeList>();
    for (TRixCode* C : Codes) L->Add(C);
    return L;
  };
  std::unique_ptr<TRixCodeList> Lists[] = {
      Make({new TRixCodeSingle(1), new TRixCodeRange(3, 5), new TRixCodeRange(10, RixCodeMax)}),
      Make({new TRixCodeRange(RixCodeMin, 4)}),
      Make({new TRixCodeRange(RixCodeMin, RixCodeMax)}),
      Make({new TRixCodeRange(2.5, RixCodeMax, /*ALowerExclusive=*/true,
                              /*AUpperExclusive=*/false)}),
      Make(
          {new TRixCodeRange(RixCodeMin, -5, /*ALowerExclusive=*/false, /*AUpperExclusive=*/true)}),
      Make({new TRixCodeSingle(0.1), new TRixCodeSingle(-7), new TRixCodeSingle(1234567)}),
      Make({new TRixCodeSingle(1e20), new TRixCodeSingle(-2.5e-7)}),
      Make({new TRixCodeSingle(RixCodeMax), new TRixCodeSingle(RixCodeMin)}),
  };
  for (const auto& L : Lists) WriteKeyValue(Out, Indent, "codes", "", CodeListAsUSAString(*L));
  TRixScanner& Sc = ReadBack();
  for (const auto& L : Lists) {
    ASSERT_TRUE(Sc.ReadDefSimpleStart("codes"));
    TRixCodeList R;
    ParseCodeList(R, Sc, &TRixTokenInstrSep::StaticClass());
    ASSERT_EQ(R.Count(), L->Count()) << CodeListAsUSAString(*L);
    for (int I = 0; I < L->Count(); ++I)
      EXPECT_TRUE(R.GetItem(I)->Equals(L->GetItem(I))) << CodeListAsUSAString(*L);
  }
  EXPECT_TRUE(Sc.Token->Is<TOrvTokenEOF>());
  EXPECT_EQ(Msgs.Count(), 0) << Text;
}

}  // namespace
}  // namespace quin
