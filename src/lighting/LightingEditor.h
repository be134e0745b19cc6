#pragma once

#include "image/SectionDefaults.h"
#include "session/Editor.h"

#include <string>

namespace krm {

// The lighting editor. For now it owns the LED type, which decides how damaged sections are
// regenerated, and the current-profile colour; the modes, colours and speeds join it with the lighting
// page.
class LightingEditor final : public Editor {
public:
    void loadFromCopies(const SectionCopies& copies) override;
    void setTexts(const TextSource&) override {}

    // Item of the current-profile colour list: 0..9 a colour of the table, 10 the user colour. Taken
    // from the image when it is read; the profile buttons write it with every profile they select but
    // never change it.
    int profileColourItem() const { return profileColourItem_; }

    // "RGB", "Sync", "NT", "MCULED", or empty before a type was chosen (treated like "RGB").
    const std::string& ledType() const { return ledType_; }
    void setLedType(std::string type) { ledType_ = std::move(type); }
    // What section repairs need from the lighting page.
    DefaultInputs defaultInputs() const { return {ledType_, std::nullopt}; }

private:
    std::string ledType_;
    int profileColourItem_ = 0;
};

} // namespace krm
