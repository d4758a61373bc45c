// Guards that run a step when a scope ends: always (OnScopeExit), only when the scope is left by
// an exception (OnScopeFail), or to give a variable back its value (TSaveRestore).
//
//   auto CloseKey = OnScopeExit([&] { Settings.CloseKey(); });
//   auto Undo = OnScopeFail([&] { List.reset(); });  // the half-built list goes on a throw
//   TSaveRestore Quiet(MsgsOn, false);                 // MsgsOn is false until the scope ends
//
// The step runs in a destructor: it must not throw (one that does ends the program).
#pragma once

#include <exception>
#include <utility>

namespace quin {

// Runs a step when the scope ends, unless Release() was called first.
template <class TStep>
class [[nodiscard]] TScopeExit {
 public:
  explicit TScopeExit(TStep AStep) : FStep(std::move(AStep)) {}
  // NOLINTNEXTLINE(bugprone-exception-escape): a step must not throw (see above)
  ~TScopeExit() {
    if (FActive) FStep();
  }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

  // The step will not run.
  void Release() { FActive = false; }

 private:
  TStep FStep;
  bool FActive = true;
};

// Runs a step when the scope is left by an exception thrown after the guard was made; a scope
// left normally (or by return) skips it.
template <class TStep>
class [[nodiscard]] TScopeFail {
 public:
  explicit TScopeFail(TStep AStep) : FStep(std::move(AStep)) {}
  // NOLINTNEXTLINE(bugprone-exception-escape): a step must not throw (see above)
  ~TScopeFail() {
    if (std::uncaught_exceptions() > FUncaught) FStep();
  }
  TScopeFail(const TScopeFail&) = delete;
  TScopeFail& operator=(const TScopeFail&) = delete;

 private:
  TStep FStep;
  int FUncaught = std::uncaught_exceptions();
};

template <class TStep>
TScopeExit<TStep> OnScopeExit(TStep Step) {
  return TScopeExit<TStep>(std::move(Step));
}
template <class TStep>
TScopeFail<TStep> OnScopeFail(TStep Step) {
  return TScopeFail<TStep>(std::move(Step));
}

// Keeps a variable's value and gives it back when the scope ends; the second constructor sets
// a new value for the scope.
template <class T>
class [[nodiscard]] TSaveRestore {
 public:
  explicit TSaveRestore(T& AVar) : FVar(AVar), FSaved(AVar) {}
  TSaveRestore(T& AVar, T NewValue) : FVar(AVar), FSaved(std::move(AVar)) {
    FVar = std::move(NewValue);
  }
  ~TSaveRestore() { FVar = std::move(FSaved); }
  TSaveRestore(const TSaveRestore&) = delete;
  TSaveRestore& operator=(const TSaveRestore&) = delete;

 private:
  T& FVar;
  T FSaved;
};

}  // namespace quin
