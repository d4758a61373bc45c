#include "analysis/pelres.h"
#include "analysis/pelresmanager.h"

namespace quin {

void TPelResManager::CalculateTable(std::span<TPelRes* const> Cells) {
  for (TPelRes* C : Cells) {
    ++CellsOneByOne;
    C->Calculate(this);
  }
}

}  // namespace quin
