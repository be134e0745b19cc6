#include "fire/FireEditor.h"

#include "image/ImageFields.h"

namespace krm {

void FireEditor::loadFromCopies(const SectionCopies& copies) {
    for (int k = 1; k <= 3; ++k) {
        const FireKeyBlockSlot slot = readFireKeySlot(copies.fireKey, k);
        auto& editorSlot = state_.fireKeys[static_cast<std::size_t>(k - 1)];
        editorSlot.count = slot.repeat;
        editorSlot.interval = slot.interval;
    }
}

} // namespace krm
