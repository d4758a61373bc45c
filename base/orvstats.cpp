#include "base/orvstats.h"

#include <array>
#include <cfenv>
#include <cmath>
#include <mutex>
#include <string>
#include <utility>

namespace quin {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Sqrt2Pi = 2.5066282746310007;
constexpr double LnGammaCoef[6] = {76.18009173,  -86.50532033,  24.01409822,
                                   -1.231739516, 0.00120858003, -0.00000536382};

constexpr int GammaMaxSteps = 100;
constexpr double GammaSeriesTol = 1e-6;
constexpr double GammaFractionTol = 1e-6;
constexpr double GammaExpLimit = 500;
constexpr int BetaMaxSteps = 100;
constexpr double BetaTol = 1e-13;
constexpr double BetaZeroBelow = 1e-13;
constexpr int BracketMaxSteps = 1000;
constexpr int BisectMaxSteps = 2000;
constexpr double NormalQuantileTol = 1e-8;
constexpr double FDistQuantileTol = 1e-6;
constexpr double ProportionZeroBelow = 0.0005;
constexpr double MaxErrorMinBase = 15;
constexpr double TestMinVariance = 1e-6;
constexpr double TestMinCount = 1.000001;

[[noreturn]] void StatsError(const char* Routine, const char* What) {
  throw EStatsError(std::string(Routine) + ": " + What);
}

void CheckNumber(double X, const char* Routine) {
  if (std::isnan(X)) StatsError(Routine, "an argument is not a number");
}

void CheckFinite(double X, const char* Routine) {
  if (!std::isfinite(X)) StatsError(Routine, "an argument is not a finite number");
}

double CheckResult(double R, const char* Routine) {
  if (!std::isfinite(R)) StatsError(Routine, "the arguments are out of the computable range");
  return R;
}

// Zero counts as either sign, as in the product test FA * FB >= 0, but without the product's
// underflow to zero for two tiny values of opposite sign.
bool SameSignOrZero(double FA, double FB) { return !((FA < 0 && FB > 0) || (FA > 0 && FB < 0)); }
bool StrictlySameSign(double FA, double FB) { return (FA > 0 && FB > 0) || (FA < 0 && FB < 0); }

// Lanczos series for X >= 1.
double LnGammaAtLeastOne(double X) {
  const double T = X - 1;
  const double Tmp = T + 5.5;
  double Ser = 1;
  for (int I = 0; I < 6; ++I) Ser += LnGammaCoef[I] / (T + (I + 1));
  return (T + 0.5) * std::log(Tmp) + std::log(Sqrt2Pi * Ser) - Tmp;
}

double LnGammaImpl(double X) {
  if (std::isnan(X) || !(X > 0)) StatsError("LnGamma", "the argument must be positive");
  if (X >= 1) return CheckResult(LnGammaAtLeastOne(X), "LnGamma");
  // Reflection: Z = 1 - X lies in (0, 1], where sin(pi Z) is positive.
  const double Z = 1 - X;
  const double S = std::sin(Pi * Z);
  if (!(S > 0)) StatsError("LnGamma", "the argument is too close to zero");
  return CheckResult(std::log(Pi * Z) - LnGammaAtLeastOne(1 + Z) - std::log(S), "LnGamma");
}

double IncompleteGammaPImpl(double A, double X) {
  CheckNumber(X, "IncompleteGammaP");
  if (!std::isfinite(A) || !(A > 0)) {
    StatsError("IncompleteGammaP", "the shape must be a positive finite number");
  }
  if (std::isinf(X) && X > 0) return 1;
  const double Gln = LnGammaImpl(A);
  if (X <= A + 1) {
    // Series. Only X <= 0 gives 0: a cut-off at X = 1e-6 would drop values of up to 1.1e-3
    // (about 2 sqrt(X / pi) for A = 0.5), and with them the normal function near 0.
    if (X <= 0) return 0;
    double Term = 1 / A;
    double Sum = Term;
    for (int K = 1; K <= GammaMaxSteps; ++K) {
      Term = Term * X / (A + K);
      Sum += Term;
      if (Term < GammaSeriesTol) break;
    }
    const double E = A * std::log(X) - X - Gln;
    if (std::fabs(E) >= GammaExpLimit) return 0;
    return CheckResult(Sum * std::exp(E), "IncompleteGammaP");
  }
  // Continued fraction with renormalised convergents.
  double N0 = 0, N1 = 1, D0 = 1, D1 = X, F = 1, Prev = 1, G = StatsMaxValue;
  for (int K = 1; K <= GammaMaxSteps; ++K) {
    N0 = (N1 + (K - A) * N0) * F;
    D0 = (D1 + (K - A) * D0) * F;
    N1 = X * N0 + K * F * N1;
    D1 = X * D0 + K * F * D1;
    if (!std::isfinite(N1) || !std::isfinite(D1)) break;  // beyond the range of a double
    if (D1 != 0) {
      F = 1 / D1;
      G = N1 * F;
      if (std::fabs(Prev - G) / Prev < GammaFractionTol) break;
      Prev = G;
    }
  }
  const double E = A * std::log(X) - X - Gln;
  if (std::fabs(E) >= GammaExpLimit) return 1;
  return CheckResult(1 - std::exp(E) * G, "IncompleteGammaP");
}

// The continued fraction of the incomplete beta function, renormalised at every step.
double BetaFraction(double A, double B, double X) {
  const double Qab = A + B, Qap = A + 1, Qam = A - 1;
  double Am = 1, Bm = 1, Az = 1, Bz = 1 - Qab * X / Qap;
  for (int M = 1; M <= BetaMaxSteps; ++M) {
    const double Em = M, Tem = 2.0 * M;
    double D = Em * (B - Em) * X / ((Qam + Tem) * (A + Tem));
    const double Ap = Az + D * Am;
    const double Bp = Bz + D * Bm;
    D = -(A + Em) * (Qab + Em) * X / ((A + Tem) * (Qap + Tem));
    const double App = Ap + D * Az;
    const double Bpp = Bp + D * Bz;
    const double Aold = Az;
    if (Bpp != 0) {
      Am = Ap / Bpp;
      Bm = Bp / Bpp;
      Az = App / Bpp;
      Bz = 1;
      if (std::fabs(Az - Aold) < BetaTol * std::fabs(Aold)) break;
    } else {
      Am = Ap;
      Bm = Bp;
      Az = App;
      Bz = Bpp;
    }
  }
  if (Bz == 0) StatsError("IncompleteBeta", "the continued fraction did not converge");
  return Az / Bz;
}

double IncompleteBetaImpl(double A, double B, double X) {
  CheckNumber(X, "IncompleteBeta");
  if (!std::isfinite(A) || !std::isfinite(B) || !(A > 0) || !(B > 0)) {
    StatsError("IncompleteBeta", "the shapes must be positive finite numbers");
  }
  // The swap point (A + 1) / (A + B + 1) is the one the tables were always computed with.
  const bool Swap = X >= (A + 1) / (A + B + 1);
  if (Swap) {
    std::swap(A, B);
    X = 1 - X;
  }
  double R = 0;
  if (X >= BetaZeroBelow) {
    const double Front = std::exp(LnGammaImpl(A + B) - LnGammaImpl(A) - LnGammaImpl(B) +
                                  A * std::log(X) + B * std::log(1 - X));
    R = Front * BetaFraction(A, B, X) / A;
  }
  return CheckResult(Swap ? 1 - R : R, "IncompleteBeta");
}

double NormalCDFImpl(double Z) {
  CheckNumber(Z, "NormalCDF");
  const double S = Z >= 0 ? 1 : -1;
  return (S * IncompleteGammaPImpl(0.5, Z * Z / 2) + 1) / 2;
}

double StudentTCDFImpl(double T, double DF) {
  CheckNumber(T, "StudentTCDF");
  if (!std::isfinite(DF) || !(DF > 0)) {
    StatsError("StudentTCDF", "the degrees of freedom must be a positive finite number");
  }
  // T * T may overflow to infinity: the ratio is then 0, the limit it tends to.
  const double I = IncompleteBetaImpl(DF / 2, 0.5, DF / (T * T + DF));
  return T >= 0 ? 1 - I / 2 : I / 2;
}

void CheckDegrees(double D1, double D2, const char* Routine) {
  if (!std::isfinite(D1) || !std::isfinite(D2) || !(D1 > 0) || !(D2 > 0)) {
    StatsError(Routine, "the degrees of freedom must be positive finite numbers");
  }
}

double FDistCDFImpl(double X, double D1, double D2) {
  CheckNumber(X, "FDistCDF");
  CheckDegrees(D1, D2, "FDistCDF");
  // No mass below 0; the formula would take the beta function outside [0, 1] there.
  if (X <= 0) return 0;
  return 1 - IncompleteBetaImpl(D2 / 2, D1 / 2, D2 / (D1 * X + D2));
}

double NormalRootFunction(double X, const TStatsParams&, double Target) {
  return Target - NormalCDFImpl(X);
}

double FDistRootFunction(double X, const TStatsParams& Params, double Target) {
  return Target - FDistCDFImpl(X, Params.P1, Params.P2);
}

bool BracketRootImpl(double& A, double& B, TStatsFunction F, const TStatsParams& Params,
                     double Target) {
  if (A == B) B = A + 1;
  double FA = F(A, Params, Target), FB = F(B, Params, Target);
  for (int I = 0; I < BracketMaxSteps && StrictlySameSign(FA, FB); ++I) {
    if (std::fabs(FA) >= std::fabs(FB)) {
      const double NewB = B + 2 * (B - A);
      if (!std::isfinite(NewB)) return false;
      A = B;
      B = NewB;
      FA = FB;
      FB = F(B, Params, Target);
    } else {
      const double NewA = A + 2 * (A - B);
      if (!std::isfinite(NewA)) return false;
      B = A;
      A = NewA;
      FB = FA;
      FA = F(A, Params, Target);
    }
  }
  return !std::isnan(FA) && !std::isnan(FB) && !StrictlySameSign(FA, FB);
}

void BisectRootImpl(double A, double B, double& Root, double Tol, const TStatsParams& Params,
                    double Target, TStatsFunction F) {
  Root = A;
  // F is a pure function: its values at the ends are kept instead of being recomputed.
  double FA = F(A, Params, Target), FB = F(B, Params, Target);
  for (int I = 0; I < BisectMaxSteps; ++I) {
    if (FA == 0) {
      Root = A;
      return;
    }
    if (FB == 0) {
      Root = B;
      return;
    }
    const double M = A * 0.5 + B * 0.5;  // (A + B) / 2 without overflow
    if (std::fabs(A - B) < Tol || M == A || M == B) {
      // Narrow enough, or no double left between the ends.
      Root = M;
      return;
    }
    const double FM = F(M, Params, Target);
    if (SameSignOrZero(FA, FM)) {
      A = M;
      FA = FM;
    } else {
      B = M;
      FB = FM;
    }
  }
  // The best estimate the halvings reached, not the start of the interval.
  Root = A * 0.5 + B * 0.5;
}

double FindQuantile(double A, double B, double Tol, TStatsFunction F, const TStatsParams& Params,
                    double Target, const char* Routine) {
  if (!BracketRootImpl(A, B, F, Params, Target)) {
    StatsError(Routine, "the quantile could not be enclosed");
  }
  double Root = A;
  BisectRootImpl(A, B, Root, Tol, Params, Target, F);
  return Root;
}

double NormalQuantileImpl(double P) {
  CheckNumber(P, "NormalQuantile");
  if (P > 1) return StatsMaxValue;
  if (P < 0) return StatsMinValue;
  return FindQuantile(0, 1, NormalQuantileTol, NormalRootFunction, TStatsParams{}, P,
                      "NormalQuantile");
}

double FDistQuantileImpl(double P, double D1, double D2) {
  CheckNumber(P, "FDistQuantile");
  CheckDegrees(D1, D2, "FDistQuantile");
  if (P >= 1) return StatsMaxValue;
  if (P <= 0) return 0;
  return FindQuantile(0, P, FDistQuantileTol, FDistRootFunction, TStatsParams{D1, D2}, P,
                      "FDistQuantile");
}

double ProportionLowerBoundImpl(double N, double P, double Level) {
  CheckFinite(N, "ProportionLowerBound");
  CheckFinite(P, "ProportionLowerBound");
  CheckFinite(Level, "ProportionLowerBound");
  if (P <= ProportionZeroBelow) return 0;
  const double X = P * N;
  const double D1 = 2 * (N - X + 1), D2 = 2 * X;
  if (!(D2 > 0) || !(D1 > 0)) {
    StatsError("ProportionLowerBound", "the count and the proportion are out of range");
  }
  const double Q = FDistQuantileImpl(1 - (1 - Level) / 2, D1, D2);
  // With the open-ended quantile the product may pass the largest double: the bound is 0 then.
  const double Den = X + (N - X + 1) * Q;
  if (std::isinf(Den)) return 0;
  return CheckResult(X / Den, "ProportionLowerBound");
}

void ProportionBoundsImpl(double& Lower, double& Upper, double N, double P, double Level) {
  Lower = ProportionLowerBoundImpl(N, P, Level);
  Upper = 1 - ProportionLowerBoundImpl(N, 1 - P, Level);
}

double ProportionHalfWidthImpl(double N, double Level) {
  double Lower = 0, Upper = 0;
  ProportionBoundsImpl(Lower, Upper, N, 0.5, Level);
  return (Upper - Lower) / 2;
}

double NormalUpperBound(double Level) { return NormalQuantileImpl(Level + (1 - Level) / 2); }

// Upper bounds for the levels last asked for; a table uses one or two levels.
struct TBoundsCacheEntry {
  double Level;
  double Upper;
};
constexpr int BoundsCacheSize = 16;
std::mutex BoundsCacheLock;
std::array<TBoundsCacheEntry, BoundsCacheSize> BoundsCache;
int BoundsCacheCount = 0;
int BoundsCacheNext = 0;

}  // namespace

void SetStatsFPUMode() {
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
}

double LnGamma(double X) {
  SetStatsFPUMode();
  return LnGammaImpl(X);
}

double IncompleteGammaP(double A, double X) {
  SetStatsFPUMode();
  return IncompleteGammaPImpl(A, X);
}

double IncompleteBeta(double A, double B, double X) {
  SetStatsFPUMode();
  return IncompleteBetaImpl(A, B, X);
}

double NormalCDF(double Z) {
  SetStatsFPUMode();
  return NormalCDFImpl(Z);
}

double NormalQuantile(double P) {
  SetStatsFPUMode();
  return NormalQuantileImpl(P);
}

double StudentTCDF(double T, double DF) {
  SetStatsFPUMode();
  return StudentTCDFImpl(T, DF);
}

double FDistCDF(double X, double D1, double D2) {
  SetStatsFPUMode();
  return FDistCDFImpl(X, D1, D2);
}

double FDistQuantile(double P, double D1, double D2) {
  SetStatsFPUMode();
  return FDistQuantileImpl(P, D1, D2);
}

bool BracketRoot(double& A, double& B, TStatsFunction F, const TStatsParams& Params,
                 double Target) {
  SetStatsFPUMode();
  if (F == nullptr) StatsError("BracketRoot", "no function");
  CheckFinite(A, "BracketRoot");
  CheckFinite(B, "BracketRoot");
  CheckNumber(Target, "BracketRoot");
  return BracketRootImpl(A, B, F, Params, Target);
}

void BisectRoot(double A, double B, double& Root, double Tol, const TStatsParams& Params,
                double Target, TStatsFunction F) {
  SetStatsFPUMode();
  if (F == nullptr) StatsError("BisectRoot", "no function");
  CheckFinite(A, "BisectRoot");
  CheckFinite(B, "BisectRoot");
  CheckNumber(Tol, "BisectRoot");
  CheckNumber(Target, "BisectRoot");
  BisectRootImpl(A, B, Root, Tol, Params, Target, F);
}

double ProportionLowerBound(double N, double P, double Level) {
  SetStatsFPUMode();
  return ProportionLowerBoundImpl(N, P, Level);
}

double ProportionUpperBound(double N, double P, double Level) {
  SetStatsFPUMode();
  return 1 - ProportionLowerBoundImpl(N, 1 - P, Level);
}

void ProportionBounds(double& Lower, double& Upper, double N, double P, double Level) {
  SetStatsFPUMode();
  ProportionBoundsImpl(Lower, Upper, N, P, Level);
}

double ProportionHalfWidth(double N, double Level) {
  SetStatsFPUMode();
  return ProportionHalfWidthImpl(N, Level);
}

double MaxErrorPercent(double Level, double Base) {
  SetStatsFPUMode();
  CheckNumber(Base, "MaxErrorPercent");
  if (!(Base >= MaxErrorMinBase)) return StatsMinValue;
  return 100 * ProportionHalfWidthImpl(Base, Level);
}

double TwoSampleTestPValue(double Alpha, double MeanA, double VarA, double NA, double MeanB,
                           double VarB, double NB) {
  SetStatsFPUMode();
  const char* Routine = "TwoSampleTestPValue";
  for (double V : {Alpha, MeanA, VarA, NA, MeanB, VarB, NB}) CheckFinite(V, Routine);
  if (VarA < TestMinVariance || VarB < TestMinVariance || NA < TestMinCount || NB < TestMinCount) {
    return 0;
  }
  // Variance check: the larger ratio against F, compared through its square root.
  double R, D1, D2;
  if (VarA / VarB >= VarB / VarA) {
    R = VarA / VarB;
    D1 = NA - 1;
    D2 = NB - 1;
  } else {
    R = VarB / VarA;
    D1 = NB - 1;
    D2 = NA - 1;
  }
  const double PF = 1 - FDistCDFImpl(std::sqrt(R), D1, D2);
  double SE, DF;
  if (PF > Alpha) {
    const double S = std::sqrt((VarA * (NA - 1) + VarB * (NB - 1)) / (NA + NB - 2));
    SE = S * std::sqrt(1 / NA + 1 / NB);
    DF = NA + NB - 2;
  } else {
    const double A = VarA / NA, B = VarB / NB;
    SE = std::sqrt(A + B);
    const double FA = A / (A + B), FB = B / (A + B);
    DF = 1 / (FA * FA / (NA - 1) + FB * FB / (NB - 1));
  }
  CheckResult(SE, Routine);
  const double T = std::fabs(MeanB - MeanA) / SE;
  return CheckResult(2 * (1 - StudentTCDFImpl(T, DF)), Routine);
}

void NormalConfidenceBounds(double& Lower, double& Upper, double Level) {
  SetStatsFPUMode();
  CheckNumber(Level, "NormalConfidenceBounds");
  {
    std::lock_guard<std::mutex> Guard(BoundsCacheLock);
    for (int I = 0; I < BoundsCacheCount; ++I) {
      if (BoundsCache[I].Level == Level) {
        Upper = BoundsCache[I].Upper;
        Lower = -Upper;
        return;
      }
    }
  }
  const double U = NormalUpperBound(Level);  // computed outside the lock: it is pure
  {
    std::lock_guard<std::mutex> Guard(BoundsCacheLock);
    BoundsCache[BoundsCacheNext] = TBoundsCacheEntry{Level, U};
    BoundsCacheNext = (BoundsCacheNext + 1) % BoundsCacheSize;
    if (BoundsCacheCount < BoundsCacheSize) ++BoundsCacheCount;
  }
  Upper = U;
  Lower = -U;
}

}  // namespace quin
