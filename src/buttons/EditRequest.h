#pragma once

#include "buttons/CodeText.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace krm {

// One thing an editor asks of the configuration image and the mouse. Editors return their changes
// as a list of these; the owner of the image applies them in order: StoreCode to the section copy,
// the others through the shared write functions. While the refresh guard is set an editor still
// returns its StoreCode requests (the copies follow the controls) but asks for no write.
struct EditRequest {
    enum class Kind {
        StoreCode,            // put `bytes` into the section copy at image offset `offset`
        WriteComboKey,        // send `bytes` to image offset `offset` with WriteImageQuad
        ProfileRewrite,       // checksums, the 147-byte profile block at 192, user-section read-back,
                              // then 0x0F and the real byte to 0xA4
        VendorSectionRewrite, // vendor checksum recomputed, 164 bytes from 0 with WriteImageRange
    };
    Kind kind = Kind::StoreCode;
    std::size_t offset = 0;
    CodeBytes bytes{};

    static EditRequest storeCode(std::size_t offset, const CodeBytes& b) {
        return {Kind::StoreCode, offset, b};
    }
    static EditRequest writeComboKey(std::size_t offset, const CodeBytes& b) {
        return {Kind::WriteComboKey, offset, b};
    }
    static EditRequest profileRewrite() { return {Kind::ProfileRewrite, 0, {}}; }
    static EditRequest vendorSectionRewrite() { return {Kind::VendorSectionRewrite, 0, {}}; }
    bool operator==(const EditRequest&) const = default;
};

// What the view does next, beyond repainting the captions.
enum class Followup {
    None,
    OpenKeyComboDialog,    // open the key-combination dialog; its result comes back to ApplyDialogCode
    ApplyChangeFireFun,    // run the game-mode trigger's change handler for the new cb_ChangeFireFun
    ApplyChangeLEDModeFun, // run the LED-mode combination's change handler for the new cb_ChangeLEDModeFun
};

// The result of one user action in an editor.
struct EditOutcome {
    std::vector<EditRequest> requests;
    bool refused = false;               // an editor rule kept the change from being made
    std::optional<std::string> message; // text for the message box (may be empty in some languages)
    Followup followup = Followup::None;
    bool coverWindow = false; // cover the main window while the opened dialog is up
};

} // namespace krm
