// SPDX-License-Identifier: MIT
#include "engine/catalogue.h"

#include <cstddef>

namespace zeva {

void selectDiameter(DesignState& state, int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < DiameterCatalogue.size()) {
        state.b = DiameterCatalogue[static_cast<std::size_t>(index)].diameter;
    }
}

}  // namespace zeva
