#pragma once

#include "image/SectionDefaults.h"
#include "session/Editor.h"

#include <string>

namespace krm {

// The lighting editor. For now it owns the LED type, which decides how damaged sections are
// regenerated; the modes, colours and speeds join it with the lighting page.
class LightingEditor final : public Editor {
public:
    void loadFromCopies(const SectionCopies&) override {}
    void setTexts(const TextSource&) override {}

    // "RGB", "Sync", "NT", "MCULED", or empty before a type was chosen (treated like "RGB").
    const std::string& ledType() const { return ledType_; }
    void setLedType(std::string type) { ledType_ = std::move(type); }
    // What section repairs need from the lighting page.
    DefaultInputs defaultInputs() const { return {ledType_, std::nullopt}; }

private:
    std::string ledType_;
};

} // namespace krm
