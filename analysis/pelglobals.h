// The program-wide analysis settings that parameters fall back on when they say "the global
// setting". The server never changes them.
#pragma once

namespace quin {

struct TPelGlobalSettings {
  double SigLevel = 0.05;
  int DecPlacesPct = 1;
  int DecPlacesMeans = 2;
  bool ShowCodesForMeans = true;
  bool ShowPctSign = false;
  // Base rows only when missing values were found.
  bool BaseOnlyForMissing = true;
};

const TPelGlobalSettings& PelGlobalSettings();

}  // namespace quin
