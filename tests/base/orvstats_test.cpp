#include "base/orvstats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/math/distributions/beta.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <cfenv>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace quin {
namespace {

namespace bm = boost::math;

// How close the routines are to the exact functions, from the way they are computed:
// the gamma series and fraction stop once a step is below 1e-6; the six-term log-gamma series is
// good to a few 1e-10 (three of them enter the beta function, whose fraction stops at 1e-13);
// the quantile searches halve their interval down to 1e-8 (normal) and 1e-6 (F).
constexpr double GammaStop = 1e-6;
constexpr double LnGammaTol = 3e-10;
constexpr double BetaTol = 3 * LnGammaTol + 1e-13;
constexpr double NormalQuantileWidth = 1e-8;
constexpr double FDistQuantileWidth = 1e-6;

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

TEST(OrvStats, LnGammaMatchesBoost) {
  for (double X : {1e-6, 0.001, 0.1, 0.5, 0.9, 1.0, 1.5, 2.0, 3.7, 10.0, 50.5, 171.0, 1e4, 1e7}) {
    EXPECT_NEAR(LnGamma(X), bm::lgamma(X), LnGammaTol * std::max(1.0, std::fabs(bm::lgamma(X))))
        << X;
  }
  EXPECT_NEAR(LnGamma(1), 0, LnGammaTol);
  EXPECT_NEAR(LnGamma(2), 0, LnGammaTol);
  EXPECT_NEAR(LnGamma(0.5), 0.5724, 1e-4);
}

TEST(OrvStats, IncompleteGammaPMatchesBoost) {
  // Both sides of X = A + 1 (series and continued fraction), and the tails.
  for (double A : {0.5, 1.0, 2.5, 10.0, 30.0}) {
    for (double X : {1e-9, 1e-7, 0.001, 0.3, 1.0, 2.0, 3.4, 3.6, 5.0, 11.5, 20.0, 45.0, 800.0}) {
      EXPECT_NEAR(IncompleteGammaP(A, X), bm::gamma_p(A, X), GammaStop) << A << " " << X;
    }
  }
  EXPECT_EQ(IncompleteGammaP(0.5, 0), 0);
  EXPECT_EQ(IncompleteGammaP(0.5, -3), 0);
  EXPECT_EQ(IncompleteGammaP(0.5, Inf), 1);
}

TEST(OrvStats, IncompleteGammaPIsNotCutOffNearZero) {
  // Below X = 1e-6 the function for A = 0.5 is still about 2 sqrt(X / pi), up to 1.1e-3:
  // it must not be given as 0.
  for (double X : {1e-12, 1e-8, 5e-7, 9.9e-7}) {
    EXPECT_GT(IncompleteGammaP(0.5, X), 0) << X;
    EXPECT_NEAR(IncompleteGammaP(0.5, X), bm::gamma_p(0.5, X), GammaStop * bm::gamma_p(0.5, X));
  }
  EXPECT_NEAR(NormalCDF(1e-3), bm::cdf(bm::normal(), 1e-3), GammaStop);
  EXPECT_NEAR(NormalCDF(-1e-3), bm::cdf(bm::normal(), -1e-3), GammaStop);
}

TEST(OrvStats, IncompleteBetaMatchesBoost) {
  // X around the swap point (A + 1) / (A + B + 1) as well as near both ends.
  const double As[] = {0.5, 1.0, 2.5, 10.0, 150.0, 2000.0};
  const double Bs[] = {0.5, 1.0, 3.0, 40.0, 700.0};
  for (double A : As) {
    for (double B : Bs) {
      const double Swap = (A + 1) / (A + B + 1);
      for (double X : {1e-12, 1e-6, 0.01, 0.2, 0.5, 0.8, 0.99, 1 - 1e-9, Swap, Swap - 1e-9,
                       Swap * 0.99, std::min(1.0, Swap * 1.01)}) {
        EXPECT_NEAR(IncompleteBeta(A, B, X), bm::ibeta(A, B, X), BetaTol)
            << A << " " << B << " " << X;
      }
    }
  }
  EXPECT_EQ(IncompleteBeta(2, 3, 0), 0);
  EXPECT_EQ(IncompleteBeta(2, 3, 1), 1);
  EXPECT_EQ(IncompleteBeta(2, 3, -0.5), 0);  // clamped to the ends, never the log of a negative
  EXPECT_EQ(IncompleteBeta(2, 3, 1.5), 1);
}

TEST(OrvStats, DistributionFunctionsMatchBoost) {
  const bm::normal Normal;
  for (double Z = -9; Z <= 9; Z += 0.25) {
    EXPECT_NEAR(NormalCDF(Z), bm::cdf(Normal, Z), GammaStop) << Z;
  }
  for (double DF : {0.3, 1.0, 2.0, 4.5, 12.0, 99.0, 5000.0}) {
    const bm::students_t T(DF);
    for (double X : {-40.0, -3.0, -1.0, -0.2, 0.0, 0.7, 1.96, 2.5, 8.0, 1e4}) {
      EXPECT_NEAR(StudentTCDF(X, DF), bm::cdf(T, X), BetaTol) << X << " " << DF;
    }
  }
  for (double D1 : {1.0, 2.0, 7.5, 30.0, 400.0}) {
    for (double D2 : {1.0, 3.0, 10.0, 120.0, 3000.0}) {
      const bm::fisher_f F(D1, D2);
      for (double X : {1e-4, 0.1, 0.5, 1.0, 1.3, 2.0, 4.0, 20.0, 1e3}) {
        EXPECT_NEAR(FDistCDF(X, D1, D2), bm::cdf(F, X), BetaTol) << X << " " << D1 << " " << D2;
      }
    }
  }
}

TEST(OrvStats, DistributionFunctionEdges) {
  EXPECT_EQ(NormalCDF(0), 0.5);
  EXPECT_NEAR(NormalCDF(1.959964), 0.975, 1e-6);
  EXPECT_EQ(NormalCDF(Inf), 1);
  EXPECT_EQ(NormalCDF(-Inf), 0);
  EXPECT_EQ(NormalCDF(1e200), 1);  // the square passes the largest double
  for (double DF : {1e-3, 0.5, 1.0, 7.0, 1e6}) EXPECT_EQ(StudentTCDF(0, DF), 0.5) << DF;
  EXPECT_EQ(StudentTCDF(1e200, 3), 1);
  EXPECT_EQ(StudentTCDF(-Inf, 3), 0);
  EXPECT_EQ(FDistCDF(0, 3, 4), 0);
  EXPECT_EQ(FDistCDF(-2, 3, 4), 0);  // no mass below 0 (and no division by zero at -D2 / D1)
  EXPECT_EQ(FDistCDF(-4.0 / 3, 3, 4), 0);
  EXPECT_EQ(FDistCDF(Inf, 3, 4), 1);
}

TEST(OrvStats, QuantilesMatchBoost) {
  const bm::normal Normal;
  for (double P : {1e-6, 0.001, 0.025, 0.3, 0.5, 0.5002, 0.7, 0.95, 0.975, 0.995, 0.999999}) {
    const double Q = bm::quantile(Normal, P);
    EXPECT_NEAR(NormalQuantile(P), Q, NormalQuantileWidth + GammaStop / bm::pdf(Normal, Q)) << P;
  }
  for (double D1 : {1.0, 2.0, 5.0, 30.0, 200.0}) {
    for (double D2 : {1.0, 3.0, 10.0, 100.0, 2000.0}) {
      const bm::fisher_f F(D1, D2);
      for (double P : {0.01, 0.3, 0.5, 0.95, 0.975, 0.999}) {
        const double Q = bm::quantile(F, P);
        EXPECT_NEAR(FDistQuantile(P, D1, D2), Q, FDistQuantileWidth + BetaTol / bm::pdf(F, Q))
            << P << " " << D1 << " " << D2;
      }
    }
  }
}

TEST(OrvStats, QuantilesOutsideTheirRange) {
  EXPECT_EQ(NormalQuantile(1.5), StatsMaxValue);
  EXPECT_EQ(NormalQuantile(-0.1), StatsMinValue);
  EXPECT_EQ(StatsMaxValue, 1.7e308);
  EXPECT_EQ(StatsMinValue, -1.7e308);
  // At the ends the search stops where the distribution function reaches 0 or 1 exactly.
  EXPECT_GT(NormalQuantile(1), 8);
  EXPECT_LT(NormalQuantile(0), -8);
  EXPECT_EQ(FDistQuantile(1, 3, 4), StatsMaxValue);
  EXPECT_EQ(FDistQuantile(1.2, 3, 4), StatsMaxValue);
  EXPECT_EQ(FDistQuantile(0, 3, 4), 0);
  EXPECT_EQ(FDistQuantile(-1, 3, 4), 0);
}

TEST(OrvStats, BadArgumentsRaiseInsteadOfGivingNaN) {
  EXPECT_THROW(LnGamma(0), EStatsError);
  EXPECT_THROW(LnGamma(-2.5), EStatsError);
  EXPECT_THROW(LnGamma(NaN), EStatsError);
  EXPECT_THROW(LnGamma(Inf), EStatsError);
  EXPECT_THROW(IncompleteGammaP(0, 1), EStatsError);
  EXPECT_THROW(IncompleteGammaP(1, NaN), EStatsError);
  EXPECT_THROW(IncompleteBeta(-1, 2, 0.5), EStatsError);
  EXPECT_THROW(IncompleteBeta(1, 0, 0.5), EStatsError);
  EXPECT_THROW(IncompleteBeta(1, 2, NaN), EStatsError);
  EXPECT_THROW(NormalCDF(NaN), EStatsError);
  EXPECT_THROW(NormalQuantile(NaN), EStatsError);
  EXPECT_THROW(StudentTCDF(1, 0), EStatsError);
  EXPECT_THROW(StudentTCDF(1, Inf), EStatsError);
  EXPECT_THROW(FDistCDF(1, -1, 2), EStatsError);
  EXPECT_THROW(FDistQuantile(0.5, 2, NaN), EStatsError);
  EXPECT_THROW(ProportionLowerBound(0, 0.5, 0.95), EStatsError);
  EXPECT_THROW(ProportionLowerBound(-10, 0.5, 0.95), EStatsError);
  EXPECT_THROW(ProportionLowerBound(10, 2.0, 0.95), EStatsError);
  EXPECT_THROW(ProportionLowerBound(Inf, 0.5, 0.95), EStatsError);
  EXPECT_THROW(MaxErrorPercent(0.95, NaN), EStatsError);
  EXPECT_THROW(MaxErrorPercent(NaN, 100), EStatsError);
  EXPECT_THROW(TwoSampleTestPValue(0.05, NaN, 1, 10, 2, 1, 10), EStatsError);
  EXPECT_THROW(TwoSampleTestPValue(0.05, 1, 1, 10, 2, Inf, 10), EStatsError);
  EXPECT_THROW(TwoSampleTestPValue(0.05, 1, 1e308, 10, 2, 1e308, 1e-300 + 2), EStatsError);
  double L = 0, U = 0;
  EXPECT_THROW(NormalConfidenceBounds(L, U, NaN), EStatsError);
}

double CubeTarget(double X, const TStatsParams& Params, double Target) {
  return Target - Params.P1 * X * X * X;
}
double TinyLine(double X, const TStatsParams&, double Target) { return 1e-200 * (Target - X); }
double FlatFunction(double, const TStatsParams&, double Target) { return Target; }
double StepAt(double X, const TStatsParams&, double Target) { return X < Target ? 1 : -1; }

TEST(OrvStats, RootFinder) {
  const TStatsParams Twice{2, 0};
  // An empty interval is opened to [A, A + 1] and then widened towards the root on either side.
  for (double Target : {-250.0, -2.0, 54.0, 2e6}) {
    double A = 5, B = 5;
    ASSERT_TRUE(BracketRoot(A, B, CubeTarget, Twice, Target)) << Target;
    const double Root = std::cbrt(Target / 2);
    EXPECT_LE(std::min(A, B), Root);
    EXPECT_GE(std::max(A, B), Root);
    double R = 0;
    BisectRoot(A, B, R, 1e-9, Twice, Target, CubeTarget);
    EXPECT_NEAR(R, Root, 1e-9) << Target;
  }
  // A root at an end is taken as it is.
  double R = 0;
  BisectRoot(3, 7, R, 1e-9, Twice, 54, CubeTarget);
  EXPECT_EQ(R, 3);
  // No change of sign anywhere: reported, not looped on or overflowed.
  double A = 0, B = 1;
  EXPECT_FALSE(BracketRoot(A, B, FlatFunction, TStatsParams{}, 1));
  EXPECT_TRUE(std::isfinite(A) && std::isfinite(B));
}

TEST(OrvStats, BisectionSurvivesTinyValuesAndCoarseDoubles) {
  // Values of opposite sign whose product underflows to -0 still steer the halving.
  double R = 0;
  BisectRoot(0, 1, R, 1e-12, TStatsParams{}, 0.3, TinyLine);
  EXPECT_NEAR(R, 0.3, 1e-12);
  // A width of 1e-6 cannot be reached around 1e20: the halving stops at the last double and
  // gives the root found, not the start of the interval.
  BisectRoot(0, 1e21, R, 1e-6, TStatsParams{}, 1e20, StepAt);
  EXPECT_NEAR(R, 1e20, 1e20 * 1e-14);
  BisectRoot(-1, 1e21, R, 1e-6, TStatsParams{}, 1e20, StepAt);
  EXPECT_NEAR(R, 1e20, 1e20 * 1e-14);
}

TEST(OrvStats, ProportionBoundsMatchClopperPearson) {
  for (double N : {15.0, 40.0, 100.0, 1000.0, 2500.0}) {
    for (double P : {0.001, 0.02, 0.1, 0.37, 0.5, 0.8, 0.999}) {
      for (double Level : {0.9, 0.95, 0.99}) {
        const double X = P * N, Alpha = 1 - Level;
        // Each bound moves with the F quantile it is built on: X / (X + C * Q).
        auto Tol = [&](double D1, double D2, double C, double Xs) {
          const bm::fisher_f F(D1, D2);
          const double Q = bm::quantile(F, 1 - Alpha / 2);
          const double QTol = FDistQuantileWidth + BetaTol / bm::pdf(F, Q);
          return Xs * C * QTol / ((Xs + C * Q) * (Xs + C * Q)) + 1e-12;
        };
        const double Lower = bm::quantile(bm::beta_distribution<>(X, N - X + 1), Alpha / 2);
        const double Upper = bm::quantile(bm::beta_distribution<>(X + 1, N - X), 1 - Alpha / 2);
        double L = 0, U = 0;
        ProportionBounds(L, U, N, P, Level);
        EXPECT_NEAR(L, Lower, Tol(2 * (N - X + 1), 2 * X, N - X + 1, X)) << N << " " << P;
        EXPECT_NEAR(U, Upper, Tol(2 * (X + 1), 2 * (N - X), X + 1, N - X)) << N << " " << P;
        EXPECT_EQ(L, ProportionLowerBound(N, P, Level));
        EXPECT_EQ(U, ProportionUpperBound(N, P, Level));
        EXPECT_EQ(U, 1 - ProportionLowerBound(N, 1 - P, Level));
      }
    }
  }
}

TEST(OrvStats, ProportionEdges) {
  EXPECT_EQ(ProportionLowerBound(1000, 0.0004, 0.95), 0);
  EXPECT_EQ(ProportionLowerBound(1000, 0.0005, 0.95), 0);
  EXPECT_GT(ProportionLowerBound(1000, 0.0006, 0.95), 0);
  EXPECT_EQ(ProportionUpperBound(1000, 0.9996, 0.95), 1);
  EXPECT_EQ(ProportionLowerBound(1000, 0.3, 1.0), 0);  // an open-ended quantile
  double L = 0, U = 0;
  ProportionBounds(L, U, 1000, 0.5, 0.95);
  EXPECT_DOUBLE_EQ(ProportionHalfWidth(1000, 0.95), (U - L) / 2);
  EXPECT_EQ(MaxErrorPercent(0.95, 14), StatsMinValue);
  EXPECT_EQ(MaxErrorPercent(0.95, 14.999), StatsMinValue);
  EXPECT_EQ(MaxErrorPercent(0.95, -5), StatsMinValue);
  EXPECT_NEAR(MaxErrorPercent(0.95, 1000), 3.15, 0.005);
  EXPECT_DOUBLE_EQ(MaxErrorPercent(0.95, 15), 100 * ProportionHalfWidth(15, 0.95));
  EXPECT_GT(MaxErrorPercent(0.99, 1000), MaxErrorPercent(0.95, 1000));
}

// The same test computed with Boost: the variance check on the square root of the larger ratio,
// then a pooled or a Welch t-test.
double ReferencePValue(double Alpha, double MA, double VA, double NA, double MB, double VB,
                       double NB, bool& Pooled, double& PF) {
  const bool AOver = VA / VB >= VB / VA;
  const double R = AOver ? VA / VB : VB / VA;
  const bm::fisher_f F(AOver ? NA - 1 : NB - 1, AOver ? NB - 1 : NA - 1);
  PF = bm::cdf(bm::complement(F, std::sqrt(R)));
  Pooled = PF > Alpha;
  double SE, DF;
  if (Pooled) {
    DF = NA + NB - 2;
    SE = std::sqrt((VA * (NA - 1) + VB * (NB - 1)) / DF) * std::sqrt(1 / NA + 1 / NB);
  } else {
    const double A = VA / NA, B = VB / NB;
    SE = std::sqrt(A + B);
    DF = (A + B) * (A + B) / (A * A / (NA - 1) + B * B / (NB - 1));
  }
  return 2 * bm::cdf(bm::complement(bm::students_t(DF), std::fabs(MB - MA) / SE));
}

TEST(OrvStats, TwoSampleTestMatchesPooledAndWelch) {
  struct Case {
    double MA, VA, NA, MB, VB, NB;
  };
  const Case Cases[] = {
      {10, 4, 30, 11, 4.5, 25},
      {10, 4, 30, 12, 40, 25},
      {5, 1, 8, 5.4, 9, 200},
      {0.3, 0.2, 500, 0.32, 0.21, 480},
      {100, 900, 12, 80, 100, 9},
      {1, 2, 2.5, 3, 2, 3.5},
      {2, 1.2, 40.7, 2.5, 3.1, 60.2},
      {-5, 0.5, 1000, -5.01, 0.52, 1200},
      // The square root of the ratio keeps these pooled where the ratio itself would not.
      {3, 1, 20, 3.8, 2.2, 20},
      {3, 2.2, 20, 3.8, 1, 20},
  };
  for (double Alpha : {0.05, 0.1}) {
    for (const Case& C : Cases) {
      bool Pooled = false;
      double PF = 0;
      const double Expected =
          ReferencePValue(Alpha, C.MA, C.VA, C.NA, C.MB, C.VB, C.NB, Pooled, PF);
      ASSERT_GT(std::fabs(PF - Alpha), BetaTol) << "a case on the edge of the variance check";
      EXPECT_NEAR(TwoSampleTestPValue(Alpha, C.MA, C.VA, C.NA, C.MB, C.VB, C.NB), Expected,
                  2 * BetaTol)
          << C.MA << " " << C.VA << " " << C.NA << " " << C.MB << " " << C.VB << " " << C.NB;
    }
  }
  // The square root matters for the last two cases: the ratio 2.2 with 19 and 19 degrees of
  // freedom is beyond F's 95% point, its square root is not.
  bool Pooled = false;
  double PF = 0;
  ReferencePValue(0.05, 3, 1, 20, 3.8, 2.2, 20, Pooled, PF);
  EXPECT_TRUE(Pooled);
  EXPECT_LT(bm::cdf(bm::complement(bm::fisher_f(19, 19), 2.2)), 0.05);
}

TEST(OrvStats, TwoSampleTestEdges) {
  EXPECT_EQ(TwoSampleTestPValue(0.05, 7, 3, 50, 7, 5, 60), 1);
  EXPECT_EQ(TwoSampleTestPValue(0.05, 7, 3, 50, 7, 3, 50), 1);
  // A variance below 1e-6 or a count below 1.000001 in either group gives 0.
  EXPECT_EQ(TwoSampleTestPValue(0.05, 7, 0, 50, 8, 5, 60), 0);
  EXPECT_EQ(TwoSampleTestPValue(0.05, 7, 3, 50, 8, 0, 60), 0);
  EXPECT_EQ(TwoSampleTestPValue(0.05, 7, 9e-7, 50, 8, 5, 60), 0);
  EXPECT_EQ(TwoSampleTestPValue(0.05, 7, 3, 1.0000009, 8, 5, 60), 0);
  EXPECT_EQ(TwoSampleTestPValue(0.05, 7, 3, 50, 8, 5, 1), 0);
  EXPECT_EQ(TwoSampleTestPValue(0.05, 7, 3, 50, 8, 5, -4), 0);
  // Just inside the limits the test still runs and gives a probability.
  const double P = TwoSampleTestPValue(0.05, 7, 1e-6, 1.000001, 8, 1e-6, 1.000001);
  EXPECT_GE(P, 0);
  EXPECT_LE(P, 1);
  EXPECT_EQ(TwoSampleTestPValue(0.05, 0, 1, 100, 1e9, 1, 100), 0);
}

TEST(OrvStats, NormalConfidenceBounds) {
  double L = 0, U = 0;
  NormalConfidenceBounds(L, U, 0.95);
  EXPECT_NEAR(U, 1.96, 0.001);
  EXPECT_EQ(L, -U);
  EXPECT_EQ(U, NormalQuantile(0.975));
  double L2 = 0, U2 = 0;
  NormalConfidenceBounds(L2, U2, 0.95);  // kept from the first call
  EXPECT_EQ(U2, U);
  EXPECT_EQ(L2, L);
  NormalConfidenceBounds(L, U, 1.5);
  EXPECT_EQ(U, StatsMaxValue);
  EXPECT_EQ(L, -StatsMaxValue);
}

TEST(OrvStats, NormalConfidenceBoundsFromManyThreads) {
  // More levels than are kept, from several threads at once: every answer is the level's own.
  std::vector<double> Levels;
  for (int I = 0; I < 40; ++I) Levels.push_back(0.5 + I * 0.012);
  std::vector<double> Expected;
  for (double Level : Levels) Expected.push_back(NormalQuantile(Level + (1 - Level) / 2));
  std::vector<int> Wrong(4, 0);
  std::vector<std::thread> Threads;
  for (int T = 0; T < 4; ++T) {
    Threads.emplace_back([&, T] {
      for (int Round = 0; Round < 3; ++Round) {
        for (size_t I = 0; I < Levels.size(); ++I) {
          const size_t K = (I * (T + 1) + Round) % Levels.size();
          double L = 0, U = 0;
          NormalConfidenceBounds(L, U, Levels[K]);
          if (U != Expected[K] || L != -Expected[K]) ++Wrong[T];
        }
      }
    });
  }
  for (std::thread& T : Threads) T.join();
  for (int W : Wrong) EXPECT_EQ(W, 0);
}

TEST(OrvStats, FPUModeIsRestoredToNearest) {
  const double Near = NormalCDF(0.7);
  ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
  std::feraiseexcept(FE_DIVBYZERO | FE_INEXACT);
  SetStatsFPUMode();
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
  // Every routine sets the mode itself.
  ASSERT_EQ(std::fesetround(FE_DOWNWARD), 0);
  EXPECT_EQ(NormalCDF(0.7), Near);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
}

}  // namespace
}  // namespace quin
