#include "deflang/rixcodes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>

#include "base/format.h"
#include "base/metaclass.h"
#include "base/random.h"
#include "base/systemlocale.h"
#include "deflang/register.h"

namespace quin {
namespace {

constexpr double Missing = -1.7e308;  // the missing value of a column

TRixCode* S(double V) { return new TRixCodeSingle(V); }
TRixCode* R(double Lo, double Hi, bool LoExcl = false, bool HiExcl = false) {
  return new TRixCodeRange(Lo, Hi, LoExcl, HiExcl);
}
std::unique_ptr<TRixCodeList> L(std::initializer_list<TRixCode*> Codes) {
  auto List = std::make_unique<TRixCodeList>();
  for (TRixCode* C : Codes) List->Add(C);
  return List;
}

// A code with its flags shown: "2", "[1:3)", "(min:5]".
std::string Show(const TRixCode& C) {
  const auto* Rg = As<TRixCodeRange>(&C);
  if (!Rg) return C.AsUSAText();
  const std::string T = C.AsUSAText();
  return (Rg->LowerExclusive() ? "(" : "[") + T + (Rg->UpperExclusive() ? ")" : "]");
}
std::string Show(const TRixCodeList& List) {
  std::string Out;
  for (int I = 0; I < List.Count(); ++I) Out += (I ? " " : "") + Show(*List[I]);
  return Out;
}

class RixCodes : public testing::Test {
 protected:
  static TFormatSettings Polish() { return LocaleFromName("pl_PL").FormatSettings; }
  static TFormatSettings English() { return LocaleFromName("en_US").FormatSettings; }
};

TEST_F(RixCodes, SentinelsAreFiniteAndAboveTheMissingValue) {
  EXPECT_TRUE(std::isfinite(RixCodeMin));
  EXPECT_TRUE(std::isfinite(RixCodeMax));
  EXPECT_EQ(RixCodeMin, -1.600006e308);
  EXPECT_EQ(RixCodeMax, -RixCodeMin);
  EXPECT_LT(Missing, RixCodeMin);
  EXPECT_EQ(FormatCodeValueUSA(RixCodeMin), "");
  EXPECT_EQ(FormatCodeValue(Polish(), RixCodeMax), "");
  EXPECT_EQ(FormatCodeValue(Polish(), 2.5), "2,5");
  EXPECT_EQ(FormatCodeValueUSA(1234567), "1234567");
}

TEST_F(RixCodes, ClassesAreRegisteredAndCopiedThroughTheirOwnClass) {
  EXPECT_EQ(ClassRegistry::Find("trixcodelist"), &TRixCodeList::StaticClass());
  EXPECT_NE(ClassRegistry::Find("TRixCodeRange"), nullptr);
  EXPECT_EQ(ClassRegistry::Find("TRixCodeRange")->Create(), nullptr);  // no default code

  auto Src = L({S(1), R(3, 5, /*LoExcl=*/true, /*HiExcl=*/false)});
  TRixCodeList Dest;
  Dest.Add(S(0));
  CopyCodeList(Dest, *Src);
  ASSERT_EQ(Dest.Count(), 3);  // appended, not cleared
  EXPECT_TRUE(Dest[1]->IsExactly<TRixCodeSingle>());
  EXPECT_TRUE(Dest[2]->Equals((*Src)[1]));
  EXPECT_NE(Dest[2], (*Src)[1]);
  CopyCodeList(Dest, Dest);  // copying a list onto itself doubles it once
  EXPECT_EQ(Dest.Count(), 6);
  auto Copy = CopyOf(*Src);
  EXPECT_EQ(Show(*Copy), "1 (3:5]");
}

TEST_F(RixCodes, Membership) {
  struct Case {
    TRixCode* Code;
    double V;
    bool In;
  };
  const Case Cases[] = {
      {R(RixCodeMin, 5), 5, true},  // "<= 5"
      {R(RixCodeMin, 5), -1e300, true},
      {R(RixCodeMin, 5), RixCodeMin, true},
      {R(RixCodeMin, 5), Missing, false},
      {R(RixCodeMin, 5), 5.0000001, false},
      {R(RixCodeMin, 5, /*LoExcl=*/false, /*HiExcl=*/true), 5, false},  // "< 5"
      {R(10, RixCodeMax), 1e300, true},                                 // ">= 10"
      {R(10, RixCodeMax), 10, true},
      {R(10, RixCodeMax), 9.999, false},
      {R(10, RixCodeMax, true), 10, false},  // "> 10"
      {R(RixCodeMin, RixCodeMax), 0, true},
      {R(RixCodeMin, RixCodeMax), Missing, false},
      {R(RixCodeMin, RixCodeMax), 1.7e308, false},
      {R(1, 3, /*LoExcl=*/false, /*HiExcl=*/true), 3, false},
      {R(1, 3, /*LoExcl=*/false, /*HiExcl=*/true), 1, true},
      {R(1, 3, /*LoExcl=*/true, /*HiExcl=*/false), 1, false},
      {R(1, 3, /*LoExcl=*/true, /*HiExcl=*/false), 3, true},
      {R(3, 1), 2, false},  // reversed: holds nothing
      {S(2), 2, true},
      {S(2), 2.0000001, false},
      {S(RixCodeMin), Missing, false},
  };
  for (const Case& C : Cases) {
    std::unique_ptr<TRixCode> Own(C.Code);
    EXPECT_EQ(C.Code->InRange(C.V), C.In) << Show(*C.Code) << " value " << C.V;
  }
  auto List = L({S(1), R(3, 5), R(10, RixCodeMax)});
  EXPECT_TRUE(CodeListInRange(*List, 1));
  EXPECT_TRUE(CodeListInRange(*List, 4.5));
  EXPECT_TRUE(CodeListInRange(*List, 1e9));
  EXPECT_FALSE(CodeListInRange(*List, 2));
  EXPECT_FALSE(CodeListInRange(*List, Missing));
  EXPECT_FALSE(CodeListInRange(TRixCodeList(), 0));
}

TEST_F(RixCodes, TextsInBothNumberFormats) {
  struct Case {
    TRixCode* Code;
    const char* English;
    const char* Polish;
    const char* USAText;
    const char* Query;
  };
  const Case Cases[] = {
      {S(1.5), "1.5", "1,5", "1.5", "q = 1.5"},
      {S(1234567), "1234567", "1234567", "1234567", "q = 1234567"},
      {S(-0.25), "-0.25", "-0,25", "-0.25", "q = -0.25"},
      {R(3, 5), "3 : 5", "3 : 5", "3:5", "q between 3 and 5"},
      {R(1, 3, /*LoExcl=*/false, /*HiExcl=*/true), "1 : 3", "1 : 3", "1:3", "q between 1 and 3"},
      {R(0.5, 2.5), "0.5 : 2.5", "0,5 : 2,5", "0.5:2.5", "q between 0.5 and 2.5"},
      {R(10, RixCodeMax), ">= 10", ">= 10", "10:max", "q>= 10"},
      {R(2.5, RixCodeMax, true), "> 2.5", "> 2,5", "2.5:max", "q> 2.5"},
      {R(RixCodeMin, 5), "<= 5", "<= 5", "min:5", "q<= 5"},
      {R(RixCodeMin, -1.5, /*LoExcl=*/false, /*HiExcl=*/true), "< -1.5", "< -1,5", "min:-1.5",
       "q< -1.5"},
      {R(RixCodeMin, RixCodeMax), "min : max", "min : max", "min:max", ""},
      {S(RixCodeMin), "", "", "min", "q = "},
      {S(RixCodeMax), "", "", "max", "q = "},
  };
  for (const Case& C : Cases) {
    std::unique_ptr<TRixCode> Own(C.Code);
    SCOPED_TRACE(C.English);
    EXPECT_EQ(C.Code->AsString(English()), C.English);
    EXPECT_EQ(C.Code->AsUSAString(), C.English);
    EXPECT_EQ(C.Code->AsString(Polish()), C.Polish);
    EXPECT_EQ(C.Code->AsUSAText(), C.USAText);
    EXPECT_EQ(C.Code->GetQueryStr("q"), C.Query);
  }
  std::unique_ptr<TRixCode> Age(R(18, RixCodeMax));
  EXPECT_EQ(Age->GetQueryStr("age"), "age>= 18");
}

TEST_F(RixCodes, ListTextsUseTheListSeparator) {
  auto List = L({S(1.5), R(3, 5), R(10, RixCodeMax)});
  EXPECT_EQ(CodeListAsString(*List, English()), "1.5, 3 : 5, >= 10");
  EXPECT_EQ(CodeListAsString(*List, Polish()), "1,5; 3 : 5; >= 10");
  EXPECT_EQ(CodeListAsUSAString(*List), "1.5, 3 : 5, >= 10");
  EXPECT_EQ(CodeListAsString(TRixCodeList(), Polish()), "");
  EXPECT_EQ(CodeListAsUSAString(TRixCodeList()), "");
  // A single open end has no number; the stored text names it, so that it reads back.
  auto Ends = L({S(RixCodeMin), S(2), S(RixCodeMax)});
  EXPECT_EQ(CodeListAsUSAString(*Ends), "min, 2, max");
}

// The stored texts consist of "min", "max" and numbers that the number reader of the language
// takes back to the same double.
TEST_F(RixCodes, USATextsReadBack) {
  const double Values[] = {0, 1, -3.25, 0.1, 1e20, 1e-7, 123456789012345, -2147483648.5, 7e300};
  const TFormatSettings Point;
  for (double V : Values) {
    for (const std::string& T : {FormatCodeValueUSA(V), TRixCodeSingle(V).AsUSAText()}) {
      double Back = 0;
      ASSERT_TRUE(TryStrToFloat(T, Back, Point)) << T;
      EXPECT_EQ(Back, V) << T;
    }
    std::string Text = TRixCodeRange(V, RixCodeMax).AsUSAText();
    ASSERT_EQ(Text.substr(Text.size() - 4), ":max");
    double Back = 0;
    ASSERT_TRUE(TryStrToFloat(Text.substr(0, Text.size() - 4), Back, Point)) << Text;
    EXPECT_EQ(Back, V);
  }
}

TEST_F(RixCodes, KindsOfCodes) {
  struct Case {
    TRixCode* Code;
    bool Discrete, Int;
  };
  const Case Cases[] = {
      {S(2), true, true},
      {S(2.5), true, false},
      {R(3, 3), true, true},
      {R(1, 3), false, true},
      {R(1, 3.5), false, false},
      {R(RixCodeMin, RixCodeMax), false, true},  // the open ends count as integers
  };
  for (const Case& C : Cases) {
    std::unique_ptr<TRixCode> Own(C.Code);
    EXPECT_EQ(C.Code->IsDiscrete(), C.Discrete) << Show(*C.Code);
    EXPECT_EQ(C.Code->IsInt(), C.Int) << Show(*C.Code);
  }
  EXPECT_TRUE(CodeListIsDiscrete(TRixCodeList()));
  EXPECT_TRUE(CodeListIsInt(TRixCodeList()));
  EXPECT_TRUE(CodeListIsDiscrete(*L({S(1), R(2, 2)})));
  EXPECT_FALSE(CodeListIsDiscrete(*L({S(1), R(2, 3)})));
  EXPECT_TRUE(CodeListIsInt(*L({S(1), R(2, 3)})));
  EXPECT_FALSE(CodeListIsInt(*L({S(1), S(0.5)})));
}

TEST_F(RixCodes, MinMaxAndOverlap) {
  EXPECT_EQ(CodeListMinValue(TRixCodeList()), RixCodeMin);
  EXPECT_EQ(CodeListMaxValue(TRixCodeList()), RixCodeMax);
  auto List = L({R(3, 8), S(-2), S(12), R(5, 6)});
  EXPECT_EQ(CodeListMinValue(*List), -2);
  EXPECT_EQ(CodeListMaxValue(*List), 12);
  EXPECT_EQ(CodeListMinValue(*L({R(RixCodeMin, 4)})), RixCodeMin);

  struct Case {
    std::unique_ptr<TRixCodeList> A, B;
    bool Overlap;
  };
  Case Cases[] = {
      {L({S(1), S(2)}), L({S(2)}), true},
      {L({S(1), S(2)}), L({S(3)}), false},
      {L({R(1, 10)}), L({S(5)}), true},  // only the one way round
      {L({S(5)}), L({R(1, 10)}), true},
      {L({R(1, 3, /*LoExcl=*/false, /*HiExcl=*/true)}),
       L({R(3, 5, /*LoExcl=*/true, /*HiExcl=*/false)}), false},  // 3 is in neither
      {L({R(1, 3)}), L({R(3, 5)}), true},
      {L({}), L({R(RixCodeMin, RixCodeMax)}), false},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(CodeListsOverlap(*C.A, *C.B), C.Overlap) << Show(*C.A) << " / " << Show(*C.B);
}

TEST_F(RixCodes, NormalForms) {
  struct Case {
    std::unique_ptr<TRixCodeList> In;
    const char* Normal;
  };
  const double Mn = RixCodeMin, Mx = RixCodeMax;
  Case Cases[] = {
      {L({R(1, 5), R(3, 8), S(2)}), "[1:8]"},
      {L({R(5, 5)}), "5"},
      {L({R(5, 5, /*LoExcl=*/true, /*HiExcl=*/false)}), ""},
      {L({R(5, 5, /*LoExcl=*/false, /*HiExcl=*/true)}), ""},
      {L({R(3, 1)}), ""},
      {L({S(3), S(1), S(2), S(1)}), "1 2 3"},
      {L({R(1, 3), S(2)}), "[1:3]"},  // the later code lies in the earlier one
      {L({S(2), R(1, 3)}), "[1:3]"},  // the earlier code lies in the later one
      {L({R(1, 3, /*LoExcl=*/false, /*HiExcl=*/true), S(3)}),
       "[1:3]"},  // a shared end: exclusive only in both
      {L({R(1, 3, /*LoExcl=*/false, /*HiExcl=*/true), R(3, 5)}),
       "[1:5]"},  // touching through an inclusive end
      {L({R(1, 4, /*LoExcl=*/true, /*HiExcl=*/true), R(4, 6, /*LoExcl=*/false, /*HiExcl=*/true)}),
       "(1:6)"},  // flags kept from each end
      {L({R(1, 3, /*LoExcl=*/true, /*HiExcl=*/true), R(3, 5, /*LoExcl=*/true, /*HiExcl=*/true)}),
       "(1:3) (3:5)"},  // 3 is in neither
      {L({R(1, 3, /*LoExcl=*/true, /*HiExcl=*/true), R(1, 3, /*LoExcl=*/true, /*HiExcl=*/true)}),
       "(1:3) (1:3)"},  // not merged
      {L({R(Mn, 5), R(3, Mx)}), "[min:max]"},
      {L({R(1, 2), R(5, 6), R(2, 5)}), "[1:6]"},  // a chain of merges
      {L({R(1, 2), S(10), R(2, 5)}), "[1:5] 10"},
      {L({R(4, 6), R(1, 2), S(5)}), "[1:2] [4:6]"},
      {L({S(7), R(6, 4), R(1, 2)}), "[1:2] 7"},
      {L({}), ""},
  };
  for (Case& C : Cases) {
    const std::string Before = Show(*C.In);
    NormalizeCodeList(*C.In);
    EXPECT_EQ(Show(*C.In), C.Normal) << "from " << Before;
  }
}

// The normalising pass step by step on the list itself, position by position, as the rules
// state it; the fast pass must leave the same codes in the same order.
void ReferenceNormalize(TRixCodeList& List) {
  struct TB {
    double Lo, Hi;
    bool LoEx, HiEx;
  };
  auto Bounds = [](const TRixCode& C) -> TB {
    if (const auto* Rg = As<TRixCodeRange>(&C))
      return {Rg->Lower(), Rg->Upper(), Rg->LowerExclusive(), Rg->UpperExclusive()};
    const double V = static_cast<const TRixCodeSingle&>(C).Value();
    return {V, V, false, false};
  };
  auto Both = [](const TB& B, const TRixCode& C) { return C.InRange(B.Lo) && C.InRange(B.Hi); };
  auto Some = [](const TB& B, const TRixCode& C) { return C.InRange(B.Lo) || C.InRange(B.Hi); };
  for (int I = List.Count() - 1; I >= 1; --I) {
    for (int J = I - 1; J >= 0; --J) {
      const TB BI = Bounds(*List[I]), BJ = Bounds(*List[J]);
      if (Both(BI, *List[J])) {
        List.Delete(I);
        break;
      }
      if (Both(BJ, *List[I])) {
        List.Delete(J);
        break;
      }
      if (Some(BI, *List[J]) || Some(BJ, *List[I])) {
        TB U;
        const TB& L = BI.Lo < BJ.Lo ? BI : BJ;
        const TB& H = BI.Hi > BJ.Hi ? BI : BJ;
        U.Lo = L.Lo;
        U.LoEx = BI.Lo == BJ.Lo ? BI.LoEx && BJ.LoEx : L.LoEx;
        U.Hi = H.Hi;
        U.HiEx = BI.Hi == BJ.Hi ? BI.HiEx && BJ.HiEx : H.HiEx;
        List.Delete(I);
        List.Delete(J);
        List.Insert(J, new TRixCodeRange(U.Lo, U.Hi, U.LoEx, U.HiEx));
        break;
      }
    }
  }
  for (int I = List.Count() - 1; I >= 0; --I) {
    const auto* Rg = As<TRixCodeRange>(List[I]);
    if (!Rg) continue;
    if (Rg->Lower() == Rg->Upper()) {
      if (Rg->LowerExclusive() || Rg->UpperExclusive())
        List.Delete(I);
      else
        List.SetItem(I, new TRixCodeSingle(Rg->Lower()));
    } else if (Rg->Lower() > Rg->Upper()) {
      List.Delete(I);
    }
  }
  List.Sort([&Bounds](const TObject* A, const TObject* B) {
    return Bounds(*static_cast<const TRixCode*>(A)).Lo <
           Bounds(*static_cast<const TRixCode*>(B)).Lo;
  });
}

TEST_F(RixCodes, NormalisingMatchesTheStepwisePass) {
  // Small values, so that codes touch, nest, repeat and share ends; reversed and one-value
  // ranges and every flag among them.
  TOrvRandGenDefault Gen;
  Gen.SetSeed(20240611);
  for (int Round = 0; Round < 3000; ++Round) {
    TRixCodeList A, B;
    const int N = Gen.RandomInt(Round % 10 == 0 ? 40 : 12);
    for (int K = 0; K < N; ++K) {
      const double Lo = Gen.RandomInt(10), Hi = Gen.RandomInt(10);
      if (Gen.RandomInt(4) == 0) {
        A.Add(new TRixCodeSingle(Lo));
      } else {
        const bool LoEx = Gen.RandomInt(3) == 0, HiEx = Gen.RandomInt(3) == 0;
        A.Add(new TRixCodeRange(Lo, Hi, LoEx, HiEx));
      }
    }
    CopyCodeList(B, A);
    const std::string Before = Show(A);
    NormalizeCodeList(A);
    ReferenceNormalize(B);
    ASSERT_EQ(Show(A), Show(B)) << "from " << Before;
  }
}

TEST_F(RixCodes, NormalisingKeepsTheCodesItLeavesAlone) {
  auto List = L({S(7), R(1, 3), R(2, 4), R(9, 12)});
  const TObject* Seven = List->Items(0);
  const TObject* Nine = List->Items(3);
  NormalizeCodeList(*List);
  EXPECT_EQ(Show(*List), "[1:4] 7 [9:12]");
  EXPECT_EQ(List->Items(1), Seven);
  EXPECT_EQ(List->Items(2), Nine);
}

TEST_F(RixCodes, Equality) {
  std::unique_ptr<TRixCode> One(S(1)), OneRange(R(1, 1)),
      Half(R(1, 3, /*LoExcl=*/false, /*HiExcl=*/true));
  EXPECT_FALSE(One->Equals(OneRange.get()));
  EXPECT_FALSE(OneRange->Equals(One.get()));
  EXPECT_FALSE(One->Equals(nullptr));
  EXPECT_TRUE(Half->Equals(std::unique_ptr<TRixCode>(R(1, 3, false, true)).get()));
  EXPECT_FALSE(Half->Equals(std::unique_ptr<TRixCode>(R(1, 3)).get()));

  struct Case {
    std::unique_ptr<TRixCodeList> A, B;
    bool Equal;
  };
  Case Cases[] = {
      {L({R(1, 3), S(2)}), L({R(1, 3)}), true},
      {L({S(1), S(2)}), L({S(2), S(1)}), true},
      {L({S(3)}), L({R(3, 3)}), true},
      {L({R(1, 3, /*LoExcl=*/false, /*HiExcl=*/true)}), L({R(1, 3)}), false},
      {L({R(1, 2)}), L({S(1), S(2)}), false},
      {L({}), L({R(2, 1)}), true},
      {L({S(1)}), L({S(1), S(2)}), false},
  };
  for (Case& C : Cases) {
    const std::string Text = Show(*C.A) + " / " + Show(*C.B);
    EXPECT_EQ(CodeListsEqual(C.A.get(), C.B.get()), C.Equal) << Text;
  }
  TRixCodeList Empty;
  EXPECT_TRUE(CodeListsEqual(nullptr, nullptr));
  EXPECT_FALSE(CodeListsEqual(nullptr, &Empty));
  EXPECT_FALSE(CodeListsEqual(&Empty, nullptr));
  // The lists compared are left normalised.
  auto A = L({S(2), R(1, 3)});
  auto B = L({R(1, 3)});
  EXPECT_TRUE(CodeListsEqual(A.get(), B.get()));
  EXPECT_EQ(Show(*A), "[1:3]");
}

TEST_F(RixCodes, IntegerBounds) {
  const double Mn = RixCodeMin, Mx = RixCodeMax;
  struct Case {
    TRixCode* Code;
    int MinLimit, MinSpan, MaxLimit, MaxSpan;
    int64_t Min, Max, Width;
  };
  const Case Cases[] = {
      {R(1, 3, /*LoExcl=*/false, /*HiExcl=*/true), 0, 0, 0, 0, 1, 2, 2},
      {R(1, 3, /*LoExcl=*/true, /*HiExcl=*/true), 0, 0, 0, 0, 2, 2, 1},
      {R(1.5, 4.5), 0, 0, 0, 0, 2, 4, 3},
      {R(-2.5, -0.5), 0, 0, 0, 0, -2, -1, 2},  // never 0, which the code does not hold
      {R(5, 1), 0, 0, 0, 0, 5, 1, 0},
      {R(1.2, 1.8), 0, 0, 0, 0, 2, 1, 0},
      {R(Mn, 10), -100, 5, 0, 0, 5, 10, 6},          // open below: reaches Span below the end
      {R(Mn, 10), -100, 1000, 0, 0, -100, 10, 111},  // ... but not beyond the limit
      {R(Mn, 10, /*LoExcl=*/false, /*HiExcl=*/true), -100, 5, 0, 0, 4, 9, 6},
      {R(10, Mx), 0, 0, 100, 5, 10, 15, 6},
      {R(10, Mx), 0, 0, 12, 5, 10, 12, 3},
      {R(10, Mx, true), 0, 0, 100, 5, 11, 16, 6},
      {R(Mn, Mx), 1, 7, 9, 7, 1, 9, 9},
      {S(4), 0, 0, 0, 0, 4, 4, 1},
      {S(2.5), 0, 0, 0, 0, 3, 2, 0},
      // Codes beyond the 32-bit integers count at their edge; the width takes 64 bits.
      {S(5e9), 0, 0, 0, 0, 2147483647, 2147483647, 1},
      {S(-5e9), 0, 0, 0, 0, -2147483647, -2147483647, 1},
      {R(-5e9, 5e9), 0, 0, 0, 0, -2147483647, 2147483647, 4294967295LL},
      {R(2147483647, Mx, true), 0, 0, 2147483647, 2147483647, 2147483648LL, 2147483647, 0},
      {R(Mn, 5e9), -2147483647 - 1, 2147483647, 0, 0, 0, 2147483647, 2147483648LL},
      {R(Mn, Mx), -2147483647 - 1, 0, 2147483647, 0, -2147483648LL, 2147483647, 4294967296LL},
      {R(std::numeric_limits<double>::quiet_NaN(), 3), 0, 0, 0, 0, 0, 3, 4},
  };
  for (const Case& C : Cases) {
    std::unique_ptr<TRixCode> Own(C.Code);
    SCOPED_TRACE(Show(*C.Code));
    EXPECT_EQ(C.Code->IntWidthMin(C.MinLimit, C.MinSpan), C.Min);
    EXPECT_EQ(C.Code->IntWidthMax(C.MaxLimit, C.MaxSpan), C.Max);
    EXPECT_EQ(C.Code->IntWidth(C.MinLimit, C.MinSpan, C.MaxLimit, C.MaxSpan), C.Width);
  }
}

// Every code of a random list lies within the source's bounds (an open end stays open or is
// drawn within the 32-bit integers), and the list is normalised.
void ExpectRandomListWithin(const TRixCodeList& Source, const TRixCodeList& Out) {
  const double Min = CodeListMinValue(Source), Max = CodeListMaxValue(Source);
  const double Lo = std::max(Min, -2147483647.0), Hi = std::min(Max, 2147483647.0);
  ASSERT_GT(Out.Count(), 0);
  for (int I = 0; I < Out.Count(); ++I) {
    const TRixCode* C = Out[I];
    double First, Last;
    if (const auto* Rg = As<TRixCodeRange>(C)) {
      First = Rg->Lower(), Last = Rg->Upper();
      EXPECT_LT(First, Last) << Show(Out);
      EXPECT_FALSE(Rg->LowerExclusive() || Rg->UpperExclusive()) << Show(Out);
      EXPECT_TRUE(First == RixCodeMin ? Min == RixCodeMin : First == std::round(First));
      EXPECT_TRUE(Last == RixCodeMax ? Max == RixCodeMax : Last == std::round(Last));
    } else {
      First = Last = static_cast<const TRixCodeSingle*>(C)->Value();
    }
    EXPECT_TRUE(std::isfinite(First) && std::isfinite(Last)) << Show(Out);
    if (First != RixCodeMin) {
      EXPECT_GE(First, Lo) << Show(Out);
    }
    if (Last != RixCodeMax) {
      EXPECT_LE(Last, Hi) << Show(Out);
    }
    if (I > 0) {  // sorted, disjoint
      EXPECT_FALSE(Out[I - 1]->InRange(First)) << Show(Out);
    }
  }
}

TEST_F(RixCodes, RandomCodeLists) {
  TOrvRandGen& Gen = DefaultRandGen();
  const uint32_t Saved = Gen.GetSeed();
  std::unique_ptr<TRixCodeList> Sources[] = {
      L({R(1, 10)}), L({S(1), S(3)}), L({R(5, RixCodeMax)}), L({R(RixCodeMin, -20)}),
      L({}),  // open at both ends
      L({S(4)}),
  };
  for (const auto& Source : Sources) {
    SCOPED_TRACE(Show(*Source));
    for (uint32_t Seed = 1; Seed <= 300; ++Seed) {
      Gen.SetSeed(Seed);
      auto Out = RandomCodeList(*Source);
      ExpectRandomListWithin(*Source, *Out);
      Gen.SetSeed(Seed);
      EXPECT_TRUE(CodeListsEqual(Out.get(), RandomCodeList(*Source).get()))
          << "the same seed gives the same list";
    }
  }
  Gen.SetSeed(Saved);
}

}  // namespace
}  // namespace quin
