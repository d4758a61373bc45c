// Statistical distributions and tests for the analysis engine: normal, Student's t and F
// distribution functions and their quantiles, exact confidence bounds of a proportion and a
// two-sample test of means. Plain functions over doubles; every public routine first puts the
// floating-point unit of the calling thread into a fixed mode.
//
// Arguments that are NaN or infinite (where no limit is meaningful), or outside a routine's
// domain, raise EStatsError; no routine ever returns NaN or an infinity.
#pragma once

#include "base/exception.h"

namespace quin {

// The open ends that table cells use as "no data" and as the open end "max"; quantiles outside
// the valid range of their probability argument return them.
inline constexpr double StatsMinValue = -1.7e308;
inline constexpr double StatsMaxValue = +1.7e308;

// A statistics routine got an argument it cannot work with, or could not reach a result.
class EStatsError : public Exception {
 public:
  using Exception::Exception;
};

// The two extra parameters of a root finder's function (degrees of freedom and the like).
struct TStatsParams {
  double P1 = 0;
  double P2 = 0;
};
// Target minus a distribution function at X: its root is the quantile for Target.
using TStatsFunction = double (*)(double X, const TStatsParams& Params, double Target);

// Round to nearest with no pending floating-point exceptions, for the calling thread.
void SetStatsFPUMode();

// Natural logarithm of the gamma function; X must be positive.
double LnGamma(double X);
// Regularised lower incomplete gamma function P(A, X); A must be positive.
double IncompleteGammaP(double A, double X);
// Regularised incomplete beta function I_X(A, B); A and B must be positive.
double IncompleteBeta(double A, double B, double X);

double NormalCDF(double Z);
// Z with NormalCDF(Z) = P; StatsMaxValue for P > 1, StatsMinValue for P < 0.
double NormalQuantile(double P);
double StudentTCDF(double T, double DF);
double FDistCDF(double X, double D1, double D2);
// X with FDistCDF(X, D1, D2) = P; StatsMaxValue for P >= 1, 0 for P <= 0.
double FDistQuantile(double P, double D1, double D2);

// Widens [A, B] (at most 1000 times) until F - seen from Target - changes sign. False when no
// change of sign was found; A and B then hold the last interval tried.
bool BracketRoot(double& A, double& B, TStatsFunction F, const TStatsParams& Params, double Target);
// A root of F in [A, B] by halving the interval until it is narrower than Tol (at most 2000
// halvings, and never past the resolution of a double).
void BisectRoot(double A, double B, double& Root, double Tol, const TStatsParams& Params,
                double Target, TStatsFunction F);

// Exact (Clopper-Pearson) confidence bounds of a proportion P observed in N cases.
double ProportionLowerBound(double N, double P, double Level);
double ProportionUpperBound(double N, double P, double Level);
void ProportionBounds(double& Lower, double& Upper, double N, double P, double Level);
// Half the width of the bounds for P = 0.5.
double ProportionHalfWidth(double N, double Level);
// The maximal statistical error of a percentage in percentage points; StatsMinValue ("no data")
// for a base below 15.
double MaxErrorPercent(double Level, double Base);

// Two-sided p-value of the test that two means are equal: pooled when the variance check at
// Alpha accepts equal variances, Welch otherwise. 0 when a variance is below 1e-6 or a count
// below 1.000001.
double TwoSampleTestPValue(double Alpha, double MeanA, double VarA, double NA, double MeanB,
                           double VarB, double NB);

// Symmetric standard normal bounds for a confidence level. The result depends only on Level and
// is kept for the levels last asked for, so a table may call it once per cell at little cost.
void NormalConfidenceBounds(double& Lower, double& Upper, double Level);

}  // namespace quin
