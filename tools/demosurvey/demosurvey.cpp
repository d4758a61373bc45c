#include "tools/demosurvey/demosurvey.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/format.h"
#include "base/formatsettings.h"
#include "base/text.h"
#include "surveykit/pelcolblocks.h"

namespace quin {

namespace {

constexpr int kAgeGroups = 6;
constexpr int kRegions = 16;
constexpr int kTowns = 5;
constexpr int kEducations = 4;
constexpr int kMedia = 4;
const char* const kMediaKeys[kMedia] = {"tv", "radio", "press", "internet"};

// xoshiro256** seeded through splitmix64: a fixed, documented sequence on every platform, as
// the standard library's distributions are not.
class TDemoRandom {
 public:
  explicit TDemoRandom(uint64_t Seed) {
    for (uint64_t& S : FState) {
      Seed += 0x9E3779B97F4A7C15ull;
      uint64_t Z = Seed;
      Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
      Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
      S = Z ^ (Z >> 31);
    }
  }
  uint64_t Next() {
    const uint64_t Result = Rotl(FState[1] * 5, 7) * 9;
    const uint64_t T = FState[1] << 17;
    FState[2] ^= FState[0];
    FState[3] ^= FState[1];
    FState[1] ^= FState[2];
    FState[0] ^= FState[3];
    FState[2] ^= T;
    FState[3] = Rotl(FState[3], 45);
    return Result;
  }
  // 0 <= r < 1 with 53 random bits.
  double Real() { return double(Next() >> 11) * 0x1.0p-53; }
  bool Chance(double P) { return Real() < P; }
  // A standard normal value (Box-Muller; one of the pair is used).
  double Normal() {
    const double U1 = 1.0 - Real();  // (0, 1]
    const double U2 = Real();
    return std::sqrt(-2.0 * std::log(U1)) * std::cos(6.283185307179586 * U2);
  }
  // An index drawn with the given non-negative weights (not all zero).
  int Pick(const std::vector<double>& Weights) {
    double Total = 0;
    for (double W : Weights) Total += W;
    double R = Real() * Total;
    for (size_t I = 0; I < Weights.size(); ++I) {
      if (R < Weights[I]) return int(I);
      R -= Weights[I];
    }
    return int(Weights.size()) - 1;
  }
  // A Poisson count (Knuth's product of uniforms; the means here are small).
  int Poisson(double Mean) {
    const double L = std::exp(-Mean);
    int K = 0;
    double P = Real();
    while (P > L && K < 50) {
      ++K;
      P *= Real();
    }
    return K;
  }

 private:
  static uint64_t Rotl(uint64_t X, int K) { return (X << K) | (X >> (64 - K)); }
  uint64_t FState[4];
};

struct TRespondent {
  int Sex = 1;  // 1 male, 2 female
  int Age = 15;
  int AgeGroup = 0;  // 0..5
  int Region = 1;
  int Town = 1;
  int Educ = 1;
  double Household = 1;  // or missing
  double Frequency[kMedia] = {};
  int News = 5;
};

int DrawAge(TDemoRandom& R, int Group) {
  if (Group < 5) return 15 + Group * 10 + int(R.Real() * 10);
  // 65 and over: thinning with age, at most 95.
  for (;;) {
    const int Age = 65 + int(R.Real() * 31);
    if (R.Chance(std::exp(-(Age - 65) / 11.0))) return Age;
  }
}

int DrawTown(TDemoRandom& R, double Urban, double BigCity) {
  if (!R.Chance(Urban)) return 1;
  // The urban population split over the four town sizes; a voivodeship without a city of
  // 500,000 has more medium-sized towns instead.
  std::vector<double> W = {0.24, 0.32, 0.30 * (1 - BigCity) + 0.10, BigCity};
  return 2 + R.Pick(W);
}

int DrawEducation(TDemoRandom& R, const TDemoParams& P, int Age, int Group, int Town) {
  static const char* const kKeys[kAgeGroups] = {"educ_15", "educ_25", "educ_35",
                                                "educ_45", "educ_55", "educ_65"};
  if (Age < 19) return R.Chance(0.85) ? 1 : 3;  // still at school
  std::vector<double> W = P.Get(kKeys[Group], kEducations);
  // Towns and cities hold more graduates, villages more vocational schooling.
  const double Shift = 0.04 * (Town - 2);
  W[3] = std::max(0.01, W[3] + Shift);
  W[1] = std::max(0.01, W[1] - Shift * 0.6);
  W[0] = std::max(0.01, W[0] - Shift * 0.4);
  W[3] *= P.Get1("sample_higher");
  if (Age < 22) W[3] = 0;  // too young for a degree
  return 1 + R.Pick(W);
}

// Iterative proportional fitting of the weights to the margins, then trimmed to 0.2 .. 5 and
// scaled to average 1.
std::vector<double> RakeWeights(const std::vector<TRespondent>& Resp, const TDemoParams& P) {
  struct TMargin {
    std::vector<double> Target;
    int (*Cell)(const TRespondent&);
  };
  auto Shares = [](std::vector<double> V) {
    double S = 0;
    for (double X : V) S += X;
    for (double& X : V) X /= S;
    return V;
  };
  const TMargin Margins[] = {
      {Shares(P.Get("pop_sex_age", 2 * kAgeGroups)),
       [](const TRespondent& X) { return (X.Sex - 1) * kAgeGroups + X.AgeGroup; }},
      {Shares(P.Get("region_share", kRegions)), [](const TRespondent& X) { return X.Region - 1; }},
      {Shares(P.Get("pop_town", kTowns)), [](const TRespondent& X) { return X.Town - 1; }},
      {Shares(P.Get("pop_educ", kEducations)), [](const TRespondent& X) { return X.Educ - 1; }},
  };
  const size_t N = Resp.size();
  std::vector<double> W(N, 1.0);
  for (int Round = 0; Round < 60; ++Round) {
    for (const TMargin& M : Margins) {
      std::vector<double> Sum(M.Target.size(), 0.0);
      double Total = 0;
      for (size_t I = 0; I < N; ++I) {
        Sum[size_t(M.Cell(Resp[I]))] += W[I];
        Total += W[I];
      }
      for (size_t I = 0; I < N; ++I) {
        const size_t C = size_t(M.Cell(Resp[I]));
        if (Sum[C] > 0) W[I] *= M.Target[C] * Total / Sum[C];
      }
    }
    double Mean = 0;
    for (double X : W) Mean += X;
    Mean /= double(N);
    for (double& X : W) X = std::clamp(X / Mean, 0.2, 5.0);
  }
  double Mean = 0;
  for (double X : W) Mean += X;
  Mean /= double(N);
  // Six decimals, as a weighting program would store them.
  for (double& X : W) X = std::nearbyint(X / Mean * 1e6) / 1e6;
  return W;
}

}  // namespace

TDemoParams TDemoParams::Parse(std::string_view Text) {
  TDemoParams Result;
  const TFormatSettings FS;
  int LineNo = 0;
  size_t Pos = 0;
  while (Pos <= Text.size()) {
    size_t End = Text.find('\n', Pos);
    if (End == std::string_view::npos) End = Text.size();
    std::string_view Line = Text.substr(Pos, End - Pos);
    Pos = End + 1;
    ++LineNo;
    std::vector<std::string_view> Words;
    size_t I = 0;
    while (I < Line.size()) {
      while (I < Line.size() && (Line[I] == ' ' || Line[I] == '\t' || Line[I] == '\r')) ++I;
      size_t J = I;
      while (J < Line.size() && Line[J] != ' ' && Line[J] != '\t' && Line[J] != '\r') ++J;
      if (J > I) Words.push_back(Line.substr(I, J - I));
      I = J;
    }
    if (Words.empty() || Words[0][0] == '#') continue;
    const std::string Where = "Line " + IntToStr(LineNo) + ": ";
    if (Words.size() < 2) throw EDemoSurveyError(Where + "a key without numbers.");
    std::vector<double> Numbers;
    for (size_t K = 1; K < Words.size(); ++K) {
      double V = 0;
      if (!TryStrToFloat(Words[K], V, FS))
        throw EDemoSurveyError(Where + "'" + std::string(Words[K]) + "' is not a number.");
      Numbers.push_back(V);
    }
    if (!Result.FValues.emplace(std::string(Words[0]), std::move(Numbers)).second)
      throw EDemoSurveyError(Where + "the key " + std::string(Words[0]) + " is repeated.");
  }
  return Result;
}

const std::vector<double>& TDemoParams::Get(const std::string& Key, size_t Count) const {
  auto It = FValues.find(Key);
  if (It == FValues.end()) throw EDemoSurveyError("The parameter " + Key + " is missing.");
  if (It->second.size() != Count)
    throw EDemoSurveyError("The parameter " + Key + " needs " +
                           IntToStr(static_cast<long long>(Count)) + " numbers.");
  return It->second;
}

const TDemoColumn* TDemoWave::Find(std::string_view Name) const {
  for (const TDemoColumn& C : Columns)
    if (C.Name == Name) return &C;
  return nullptr;
}

const std::vector<std::string>& DemoColumnNames() {
  static const std::vector<std::string> Names = {
      "respid",  "sex",        "age",        "region",        "town", "educ", "hhsize",
      "freq_tv", "freq_radio", "freq_press", "freq_internet", "news", "wgt"};
  return Names;
}

std::vector<TDemoWave> GenerateDemoSurvey(const TDemoParams& P) {
  // Every parameter is checked before the first respondent is drawn.
  const double Seed = P.Get1("seed");
  if (!(Seed >= 0 && Seed < 9.0e15)) throw EDemoSurveyError("The seed must be 0 .. 9e15.");
  const std::vector<double>& WaveRecords = P.Get("wave_records", 2);
  for (double N : WaveRecords)
    if (!(N >= 10 && N <= 1000000 && N == std::floor(N)))
      throw EDemoSurveyError("A wave holds 10 .. 1,000,000 respondents.");
  const double Female = P.Get1("sample_female");
  const std::vector<double>& SampleAge = P.Get("sample_age", kAgeGroups);
  const std::vector<double>& RegionShare = P.Get("region_share", kRegions);
  const std::vector<double>& Urban = P.Get("region_urban", kRegions);
  const std::vector<double>& BigCity = P.Get("region_bigcity", kRegions);
  const std::vector<double>& HouseholdMean = P.Get("household_mean", kAgeGroups);
  const std::vector<double>& Cut = P.Get("frequency_cut", 4);
  const std::vector<double>& NewsBias = P.Get("news_bias", kMedia);
  const double NewsNone = P.Get1("news_none");
  const double MissingHousehold = P.Get1("missing_household");
  const double MissingPress = P.Get1("missing_press");
  std::vector<std::vector<double>> Effects;
  for (const char* M : kMediaKeys) Effects.push_back(P.Get(std::string("medium_") + M, 5));
  for (const char* K : {"educ_15", "educ_25", "educ_35", "educ_45", "educ_55", "educ_65"})
    P.Get(K, kEducations);
  P.Get("pop_sex_age", 2 * kAgeGroups);
  P.Get("pop_town", kTowns);
  P.Get("pop_educ", kEducations);
  P.Get1("sample_higher");

  TDemoRandom R(static_cast<uint64_t>(Seed));
  std::vector<TDemoWave> Waves;
  int NextID = 1;
  for (size_t WaveIndex = 0; WaveIndex < WaveRecords.size(); ++WaveIndex) {
    const int N = int(WaveRecords[WaveIndex]);
    std::vector<TRespondent> Resp(static_cast<size_t>(N));
    for (TRespondent& X : Resp) {
      X.Sex = R.Chance(Female) ? 2 : 1;
      X.AgeGroup = R.Pick(SampleAge);
      X.Age = DrawAge(R, X.AgeGroup);
      X.Region = 1 + R.Pick(RegionShare);
      X.Town = DrawTown(R, Urban[size_t(X.Region - 1)], BigCity[size_t(X.Region - 1)]);
      X.Educ = DrawEducation(R, P, X.Age, X.AgeGroup, X.Town);
      const double Mean =
          HouseholdMean[size_t(X.AgeGroup)] + (X.Town == 1 ? 0.5 : 0.0) - (X.Town == 5 ? 0.4 : 0.0);
      X.Household = std::min(12, 1 + R.Poisson(std::max(0.0, Mean - 1)));
      if (R.Chance(MissingHousehold)) X.Household = kPelMissingDouble;
      // Media use: one latent score per medium; the main news source follows the scores.
      double Best = -1e9;
      double Score[kMedia];
      for (int M = 0; M < kMedia; ++M) {
        const std::vector<double>& E = Effects[size_t(M)];
        Score[M] = E[0] + E[1] * (X.Age - 45) / 10.0 + E[2] * (X.Educ - 2.5) + E[3] * (X.Town - 3) +
                   E[4] * double(WaveIndex) + R.Normal();
        int Code = 5;
        for (int C = 0; C < 4; ++C)
          if (Score[M] > Cut[size_t(C)]) {
            Code = C + 1;
            break;
          }
        X.Frequency[M] = Code;
        Best = std::max(Best, Score[M]);
      }
      if (R.Chance(MissingPress)) X.Frequency[2] = kPelMissingDouble;
      if (Best < NewsNone) {
        X.News = 5;
      } else {
        double Top = -1e9;
        for (int M = 0; M < kMedia; ++M) {
          const double U = Score[M] + NewsBias[size_t(M)] + 0.7 * R.Normal();
          if (U > Top) Top = U, X.News = M + 1;
        }
      }
    }
    const std::vector<double> Weights = RakeWeights(Resp, P);

    TDemoWave W;
    W.Records = N;
    for (const std::string& Name : DemoColumnNames()) W.Columns.push_back({Name, {}});
    for (TDemoColumn& C : W.Columns) C.Values.reserve(size_t(N));
    for (size_t I = 0; I < Resp.size(); ++I) {
      const TRespondent& X = Resp[I];
      const double Row[] = {double(NextID++), double(X.Sex),  double(X.Age),  double(X.Region),
                            double(X.Town),   double(X.Educ), X.Household,    X.Frequency[0],
                            X.Frequency[1],   X.Frequency[2], X.Frequency[3], double(X.News),
                            Weights[I]};
      for (size_t K = 0; K < W.Columns.size(); ++K) W.Columns[K].Values.push_back(Row[K]);
    }
    Waves.push_back(std::move(W));
  }
  return Waves;
}

std::string DemoSurveyDefinition(std::string_view Utf8Text) {
  const std::string Text = Cp1250(Utf8Text);
  std::string Out;
  Out.reserve(Text.size() + Text.size() / 16);
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] == '\n' && (I == 0 || Text[I - 1] != '\r')) Out += '\r';
    Out += Text[I];
  }
  return Out;
}

std::string DemoWaveCsv(const TDemoWave& Wave) {
  const TFormatSettings FS;
  std::string Out;
  for (size_t K = 0; K < Wave.Columns.size(); ++K) Out += (K ? "," : "") + Wave.Columns[K].Name;
  Out += "\n";
  for (int I = 0; I < Wave.Records; ++I) {
    for (size_t K = 0; K < Wave.Columns.size(); ++K) {
      if (K) Out += ",";
      const double V = Wave.Columns[K].Values[size_t(I)];
      if (V != kPelMissingDouble) Out += FloatToStr(V, FS);
    }
    Out += "\n";
  }
  return Out;
}

const char* const kDemoSurveyFileName = "media2024.zos";

TSwSurveyRecset DemoSurveyRecset(const std::vector<TDemoWave>& Waves) {
  TSwSurveyRecset Recset;
  Recset.Name = "resp";
  for (const TDemoWave& W : Waves) {
    TSwSurveyWave Out;
    Out.Records = W.Records;
    for (const TDemoColumn& C : W.Columns) {
      TSwSurveyColumn Col;
      Col.Name = C.Name;
      Col.Values = C.Values;
      if (C.Name == "wgt") {
        Col.Spec.Layout = cdlfFlt8;
      } else if (C.Name != "respid") {
        Col.Spec.Compression = cdcfZLib;
      }
      Out.Columns.push_back(std::move(Col));
    }
    Recset.Waves.push_back(std::move(Out));
  }
  return Recset;
}

TSwSurveyRecset DemoSurveyRecset(const std::vector<TDemoWave>& Waves,
                                 const std::vector<TDemoWave>& MediaWaves) {
  TSwSurveyRecset Recset = DemoSurveyRecset(Waves);
  for (size_t W = 0; W < Recset.Waves.size() && W < MediaWaves.size(); ++W) {
    for (const TDemoColumn& C : MediaWaves[W].Columns) {
      TSwSurveyColumn Col;
      Col.Name = C.Name;
      Col.Values = C.Values;
      // The quarter-hour columns are long runs of "did not listen".
      const bool Quarter = C.Name.size() == 8 && C.Name[3] == '_' && C.Name[4] == '_' &&
                           std::isdigit(static_cast<unsigned char>(C.Name[5]));
      Col.Spec.Compression = Quarter ? cdcfRLE_1_8 : cdcfZLib;
      Recset.Waves[W].Columns.push_back(std::move(Col));
    }
  }
  return Recset;
}

std::string DemoSurveyFileBytes(std::string_view DefinitionUtf8, std::string_view ParamsText) {
  const TDemoParams Params = TDemoParams::Parse(ParamsText);
  const std::vector<TDemoWave> Waves = GenerateDemoSurvey(Params);
  const TDemoMedia Media = GenerateDemoMedia(Params, Waves);
  TSwSurveyOptions Options;
  Options.DataDate = 45580;  // 15 October 2024
  return SurveyFileBytes(DemoSurveyDefinition(DefinitionUtf8),
                         {DemoSurveyRecset(Waves, Media.Resp), DemoViewsRecset(Media.Views)},
                         Options);
}

}  // namespace quin
