#include "lighting/LightingEditor.h"

#include "image/ImageFields.h"

namespace krm {

void LightingEditor::loadFromCopies(const SectionCopies& copies) {
    profileColourItem_ = profileColourIndex(copies.user[user::kProfileAndColour]).value_or(0);
}

} // namespace krm
