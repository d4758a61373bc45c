// Fuzz target of the component-text reader and the chart model that takes charts and series
// from it: an input is a component text. A text that reads must write a text that reads again
// and writes the same; a chart or series in it must come back unchanged through its own text
// and draw. Unreadable texts must raise EFormTextError; crashes, hangs, leaks and sanitizer
// reports are findings.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/chartform.h"
#include "platform/chartrender.h"
#include "platform/formtext.h"

using namespace quin;

namespace {

void Check(bool Ok, const char* What) {
  if (!Ok) {
    std::fprintf(stderr, "fuzz_formtext: %s\n", What);
    std::abort();
  }
}

template <class T>
void RoundTrip(const T& First) {
  const std::string Text = ComponentToText(First, "  ");
  const std::string Again = ComponentToText(TextToComponent<T>(Text), "  ");
  Check(Text == Again, "a component's text does not read back to the same component");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Fonts are set up once, as in the server, before inputs are measured for leaks.
  TChart Warm;
  Warm.AddSeries(TChartSeries(TChartSeriesKind::Bar)).Add(1, "x");
  DrawChart(Warm, 64, 48);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
  TFormObject Form;
  try {
    Form = ReadFormText(Text);
  } catch (const EFormTextError& E) {
    Check(!E.Message.empty(), "an error without a message");
    return 0;
  }
  const std::string Written = WriteFormText(Form, "    ");
  Check(WriteFormText(ReadFormText(Written), "    ") == Written,
        "a written text does not read back to the same tree");
  TChartSeriesKind Kind;
  try {
    if (SeriesKindOfClass(Form.ClassName, Kind)) {
      RoundTrip(FormToSeries(Form));
    } else {
      const TChart Chart = FormToChart(Form);
      RoundTrip(Chart);
      DrawChart(Chart, 64 + int(Size % 5) * 40, 48 + int(Size % 3) * 40);
    }
  } catch (const EFormTextError&) {  // no chart class
  }
  return 0;
}
