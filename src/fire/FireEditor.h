#pragma once

#include "buttons/EditorState.h"
#include "session/Editor.h"

namespace krm {

// The rapid-fire editor. For now it keeps the three fire-key slots of the shared editor state in step
// with the image, so that fire-key buttons are named after the slot whose settings they carry; the
// slot editing and gun presets join it with the gun page.
class FireEditor final : public Editor {
public:
    explicit FireEditor(EditorState& state) : state_(state) {}

    void loadFromCopies(const SectionCopies& copies) override;
    void setTexts(const TextSource&) override {}

private:
    EditorState& state_;
};

} // namespace krm
