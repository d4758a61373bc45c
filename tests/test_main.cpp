// Test programs start as the server does: classes registered, the locale pinned.
#include <gtest/gtest.h>

#include QUIN_REGISTER_HEADER
#include "base/systemlocale.h"

// The sanitizers' settings travel with the test programs: the first error ends the program with
// its stack, and leaks are errors, however the program is started (an environment variable
// still overrides them). Programs built without sanitizers never call these.
extern "C" const char* __asan_default_options() {  // NOLINT(bugprone-reserved-identifier)
  return "detect_leaks=1:halt_on_error=1:abort_on_error=0";
}
extern "C" const char* __ubsan_default_options() {  // NOLINT(bugprone-reserved-identifier)
  return "print_stacktrace=1:halt_on_error=1";
}
extern "C" const char* __tsan_default_options() {  // NOLINT(bugprone-reserved-identifier)
  return "halt_on_error=1:second_deadlock_stack=1";
}
// cairo and fontconfig are not built with ThreadSanitizer: their own locks and caches are
// invisible to it, so the copies they make of what they keep (paths, glyphs) look like races
// between the chart-drawing threads.
extern "C" const char* __tsan_default_suppressions() {  // NOLINT(bugprone-reserved-identifier)
  return "called_from_lib:libcairo.so.2\ncalled_from_lib:libfontconfig.so.1\n";
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  quin::SetSystemLocale(quin::LocaleFromName("en_US"));
  quin::QUIN_REGISTER_FUNCTION();
  return RUN_ALL_TESTS();
}
