// The media part of the demonstration survey: press readership, a radio diary day with its
// quarter-hours, and a week of television viewing records, drawn from the respondents' media
// frequencies with a sequence of its own (the respondents' values stay as they were).
#include <algorithm>
#include <cmath>

#include "base/orvdays.h"
#include "surveykit/gimradio.h"
#include "surveykit/pelcolblocks.h"
#include "surveykit/quarterhours.h"
#include "tools/demosurvey/demosurvey.h"

namespace quin {

namespace {

// splitmix64: the media part's own sequence.
class TMediaRandom {
 public:
  explicit TMediaRandom(uint64_t Seed) : FState(Seed) {}
  uint64_t Next() {
    uint64_t Z = (FState += 0x9E3779B97F4A7C15ull);
    Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
    Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
    return Z ^ (Z >> 31);
  }
  double Real() { return double(Next() >> 11) * 0x1.0p-53; }
  bool Chance(double P) { return Real() < P; }
  int Below(int N) { return int(Real() * N); }
  int Pick(const std::vector<double>& W) {
    double Total = 0;
    for (double X : W) Total += X;
    double R = Real() * Total;
    for (size_t I = 0; I < W.size(); ++I) {
      if (R < W[I]) return int(I);
      R -= W[I];
    }
    return int(W.size()) - 1;
  }

 private:
  uint64_t FState;
};

// The chance of using a medium on a given day by its frequency code 1 (every day) .. 5
// (never); missing counts as "less often".
double DailyChance(double Frequency) {
  static const double kChance[] = {0.85, 0.5, 0.2, 0.06, 0.0};
  const int F = Frequency == kPelMissingDouble ? 4 : std::clamp(int(Frequency), 1, 5);
  return kChance[F - 1];
}

// Quarter-hour slots by part of the day: weights of the slot at which a listening or viewing
// session starts (breakfast and evening peaks).
std::vector<double> StartWeights(bool Evening) {
  std::vector<double> W(QuarterSlotCount, 0.0);
  for (int Slot = 1; Slot <= QuarterSlotCount; ++Slot) {
    const double Hour = (Slot - 1) / 4.0;
    const double Morning = std::exp(-std::pow((Hour - 7.5) / 1.5, 2));
    const double Noon = 0.5 * std::exp(-std::pow((Hour - 13.0) / 2.0, 2));
    const double Night = std::exp(-std::pow((Hour - 20.5) / 1.8, 2));
    W[size_t(Slot - 1)] =
        Evening ? 0.2 * Morning + 0.3 * Noon + 2.0 * Night : Morning * 1.6 + Noon + 0.5 * Night;
  }
  return W;
}

void AddColumn(TDemoWave& W, const std::string& Name, std::vector<double> Values) {
  W.Columns.push_back({Name, std::move(Values)});
}

}  // namespace

const std::vector<TDemoTitle>& DemoPressTitles() {
  static const std::vector<TDemoTitle> Titles = {
      {"kp", 1, 0x1F, "daily"},   {"gw", 2, 0x3F, "daily"},  {"sf", 3, 0x3F, "daily"},
      {"tp", 4, 0x08, "weekly"},  {"pw", 5, 0x02, "weekly"}, {"tt", 6, 0x10, "weekly"},
      {"zd", 7, 0x00, "monthly"}, {"ad", 8, 0x00, "monthly"}};
  return Titles;
}

const std::vector<std::string>& DemoRadioStations() {
  static const std::vector<std::string> Stations = {"r01", "r02", "r03", "r04", "r05"};
  return Stations;
}

TDemoMedia GenerateDemoMedia(const TDemoParams& P, const std::vector<TDemoWave>& Waves) {
  const std::vector<TDemoTitle>& Titles = DemoPressTitles();
  const std::vector<double>& PressReach = P.Get("press_reach", Titles.size());
  const std::vector<double>& RadioReach = P.Get("radio_reach", DemoRadioStations().size());
  const std::vector<double>& TVShare = P.Get("tv_share", 6);
  const std::vector<double>& PlaceShare = P.Get("radio_places", RadioPlaceCount);
  const std::vector<double>& SourceShare = P.Get("radio_sources", RadioSourceCount);
  TMediaRandom R(static_cast<uint64_t>(P.Get1("seed")) ^ 0x6D656469614D4544ull);
  const std::vector<double> Morning = StartWeights(false);
  const std::vector<double> Evening = StartWeights(true);
  const size_t NT = Titles.size();
  const size_t NS = DemoRadioStations().size();

  TDemoMedia Media;
  for (const TDemoWave& W : Waves) {
    const size_t N = size_t(W.Records);
    const std::vector<double>& Press = W.Find("freq_press")->Values;
    const std::vector<double>& Radio = W.Find("freq_radio")->Values;
    const std::vector<double>& TV = W.Find("freq_tv")->Values;
    const std::vector<double>& RespID = W.Find("respid")->Values;

    // Press: regular and last-period reading per title, the title named first and up to
    // three titles named unaided.
    std::vector<std::vector<double>> RR(NT, std::vector<double>(N)), AR(NT, std::vector<double>(N));
    std::vector<double> Tom(N),
        Spo[3] = {std::vector<double>(N), std::vector<double>(N), std::vector<double>(N)};
    // Radio: the diary day and, per station and quarter-hour, listening.
    std::vector<double> Day(N);
    std::vector<std::vector<std::vector<double>>> Listen(
        NS, std::vector<std::vector<double>>(QuarterSlotCount, std::vector<double>(N)));
    std::vector<std::vector<double>> Place(QuarterSlotCount, std::vector<double>(N)),
        Source(QuarterSlotCount, std::vector<double>(N));
    std::vector<std::vector<double>> Flags[8];  // SPO AWA WEE DAY MIN WEB CAB SAT
    for (auto& F : Flags) F.assign(NS, std::vector<double>(N));
    TDemoWave Views;

    for (size_t I = 0; I < N; ++I) {
      const double Reading = DailyChance(Press[I]) + 0.1;
      std::vector<int> Named;
      for (size_t T = 0; T < NT; ++T) {
        const bool Regular = R.Chance(std::min(0.95, PressReach[T] * Reading * 2.5));
        RR[T][I] = Regular;
        AR[T][I] = Regular ? R.Chance(0.7) : R.Chance(0.03);
        if (Regular && R.Chance(0.6)) Named.push_back(Titles[T].Code);
      }
      for (size_t K = 0; K < Named.size(); ++K)
        std::swap(Named[K], Named[K + size_t(R.Below(int(Named.size() - K)))]);
      Tom[I] = Named.empty() ? 0 : Named[0];
      for (size_t K = 0; K < 3; ++K) Spo[K][I] = K < Named.size() ? Named[K] : 0;

      // One diary day; listening on it by the radio frequency.
      Day[I] = DayNumber(TOrvDay(R.Below(7)));
      const double Listener = DailyChance(Radio[I]);
      std::vector<int> Quarters(NS, 0);
      if (R.Chance(Listener)) {
        const int Stations = 1 + (R.Chance(0.3) ? 1 : 0);
        for (int K = 0; K < Stations; ++K) {
          const size_t S = size_t(R.Pick(RadioReach));
          const int SourceCode = 1 + R.Pick(SourceShare);
          const int Sessions = 1 + R.Below(3);
          for (int X = 0; X < Sessions; ++X) {
            const int Start = 1 + R.Pick(Morning);
            const int Length = 1 + R.Below(8);
            const int PlaceCode = 1 + R.Pick(PlaceShare);
            for (int Q = Start; Q < Start + Length && Q <= QuarterSlotCount; ++Q) {
              if (Listen[S][size_t(Q - 1)][I] == 0) ++Quarters[S];
              Listen[S][size_t(Q - 1)][I] = 1;
              Place[size_t(Q - 1)][I] = PlaceCode;
              Source[size_t(Q - 1)][I] = SourceCode;
            }
          }
        }
      }
      for (size_t S = 0; S < NS; ++S) {
        const bool OnDay = Quarters[S] > 0;
        const bool Week = OnDay || R.Chance(0.6 * Listener * RadioReach[S]);
        const bool Aware = Week || R.Chance(0.5);
        Flags[3][S][I] = OnDay;
        Flags[2][S][I] = Week;
        Flags[1][S][I] = Aware;
        Flags[0][S][I] = Aware && R.Chance(0.55);
        Flags[4][S][I] = 15.0 * Quarters[S];
      }
      // The signal sources of the day: the source of any quarter the station was heard in.
      for (size_t S = 0; S < NS; ++S)
        for (int Q = 0; Q < QuarterSlotCount; ++Q) {
          if (Listen[S][size_t(Q)][I] == 0) continue;
          const int Src = int(Source[size_t(Q)][I]);
          if (Src == 2) Flags[5][S][I] = 1;
          if (Src == 4) Flags[6][S][I] = 1;
          if (Src == 3) Flags[7][S][I] = 1;
        }

      // Television: a week of viewing, one record per quarter-hour viewed.
      const int Sessions = R.Chance(DailyChance(TV[I])) ? 2 + R.Below(12) : R.Below(2);
      for (int X = 0; X < Sessions; ++X) {
        const int Station = 1 + R.Pick(TVShare);
        const int D = DayNumber(TOrvDay(R.Below(7)));
        const int Start = 1 + R.Pick(Evening);
        const int Length = 1 + R.Below(6);
        for (int Q = Start; Q < Start + Length && Q <= QuarterSlotCount; ++Q) {
          ++Views.Records;
          Views.Columns.resize(5);
          Views.Columns[0].Values.push_back(RespID[I]);
          Views.Columns[1].Values.push_back(Station);
          Views.Columns[2].Values.push_back(D);
          Views.Columns[3].Values.push_back(Q);
          Views.Columns[4].Values.push_back(5 + R.Below(11));
        }
      }
    }

    TDemoWave Resp;
    Resp.Records = W.Records;
    for (size_t T = 0; T < NT; ++T) {
      AddColumn(Resp, "rr_" + Titles[T].ID, RR[T]);
      AddColumn(Resp, "ar_" + Titles[T].ID, AR[T]);
    }
    AddColumn(Resp, "tom", Tom);
    for (int K = 0; K < 3; ++K) AddColumn(Resp, "spo_" + std::to_string(K + 1), Spo[K]);
    AddColumn(Resp, "rday", Day);
    static const char* const kKinds[8] = {"SPO", "AWA", "WEE", "DAY", "MIN", "WEB", "CAB", "SAT"};
    for (size_t S = 0; S < NS; ++S) {
      const std::string Suffix = DemoRadioStations()[S].substr(1, 2);
      for (int K = 0; K < 8; ++K)
        AddColumn(Resp, RadioStationColumn(Suffix, kKinds[K]), Flags[K][S]);
      for (int Q = 1; Q <= QuarterSlotCount; ++Q)
        AddColumn(Resp, RadioStationQuarterColumn(Suffix, Q), Listen[S][size_t(Q - 1)]);
    }
    for (int Q = 1; Q <= QuarterSlotCount; ++Q) {
      std::vector<double> Any(N), Count(N);
      for (size_t I = 0; I < N; ++I) {
        for (size_t S = 0; S < NS; ++S) Count[I] += Listen[S][size_t(Q - 1)][I];
        Any[I] = Count[I] > 0;
      }
      AddColumn(Resp, RadioQuarterColumn("R00", Q), Any);
      AddColumn(Resp, RadioQuarterColumn("RNN", Q), Count);
      AddColumn(Resp, RadioQuarterColumn("RPL", Q), Place[size_t(Q - 1)]);
      AddColumn(Resp, RadioQuarterColumn("RSO", Q), Source[size_t(Q - 1)]);
    }
    Media.Resp.push_back(std::move(Resp));

    Views.Columns.resize(5);
    static const char* const kViewNames[5] = {"respid", "tvst", "tvday", "tvq", "tvmin"};
    for (int K = 0; K < 5; ++K) Views.Columns[size_t(K)].Name = kViewNames[K];
    Media.Views.push_back(std::move(Views));
  }
  return Media;
}

TSwSurveyRecset DemoViewsRecset(const std::vector<TDemoWave>& Views) {
  TSwSurveyRecset Recset;
  Recset.Name = "tvview";
  for (const TDemoWave& W : Views) {
    TSwSurveyWave Out;
    Out.Records = W.Records;
    for (const TDemoColumn& C : W.Columns) {
      TSwSurveyColumn Col;
      Col.Name = C.Name;
      Col.Values = C.Values;
      // The respondent numbers repeat in runs; the rest are small codes.
      Col.Spec.Compression = C.Name == "respid" ? cdcfNoCompression : cdcfZLib;
      Out.Columns.push_back(std::move(Col));
    }
    Recset.Waves.push_back(std::move(Out));
  }
  return Recset;
}

}  // namespace quin
