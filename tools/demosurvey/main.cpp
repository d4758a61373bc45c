// quin-demosurvey --csv PARAMS FOLDER: writes the respondents of each wave of the demonstration
// survey as FOLDER/wave<N>.csv.
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/format.h"
#include "tools/demosurvey/demosurvey.h"

namespace {

std::string ReadFile(const std::string& Name) {
  std::ifstream In(Name, std::ios::binary);
  if (!In) throw quin::Exception("Cannot read " + Name + ".");
  std::stringstream Buf;
  Buf << In.rdbuf();
  return Buf.str();
}

void WriteFile(const std::string& Name, const std::string& Data) {
  std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
  if (!Out.write(Data.data(), std::streamsize(Data.size())))
    throw quin::Exception("Cannot write " + Name + ".");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::string(argv[1]) != "--csv") {
    std::cerr << "usage: quin-demosurvey --csv PARAMS FOLDER\n";
    return 2;
  }
  try {
    const auto Waves = quin::GenerateDemoSurvey(quin::TDemoParams::Parse(ReadFile(argv[2])));
    for (size_t I = 0; I < Waves.size(); ++I)
      WriteFile(std::string(argv[3]) + "/wave" + quin::IntToStr(static_cast<long long>(I + 1)) +
                    ".csv",
                quin::DemoWaveCsv(Waves[I]));
  } catch (const quin::Exception& E) {
    std::cerr << "quin-demosurvey: " << E.Message << "\n";
    return 1;
  }
  return 0;
}
