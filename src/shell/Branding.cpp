#include "shell/Branding.h"

#include "base/IniFile.h"
#include "base/ResourceTable.h"

#include <algorithm>
#include <limits>

namespace krm {

namespace {
constexpr std::string_view kSection = "org";

class Reader {
public:
    explicit Reader(const IniFile& ini) : ini_(ini) {}

    void text(std::string_view key, std::string& field) const {
        if (auto v = ini_.text(kSection, key)) field = *v;
    }
    void number(std::string_view key, long& field) const {
        if (auto v = ini_.integer(kSection, key)) field = *v;
    }
    void number(std::string_view key, int& field) const {
        if (auto v = ini_.integer(kSection, key))
            field = static_cast<int>(
                std::clamp<long>(*v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    }
    void flag(std::string_view key, bool& field) const {
        if (auto v = ini_.integer(kSection, key)) field = *v == 1;
    }

private:
    const IniFile& ini_;
};
} // namespace

bool Branding::acceptsVariant(Variant v) const {
    if (icConfigType == 1) return v == Variant::R210B;
    if (icConfigType == 2) return v == Variant::R230B;
    return true;
}

Variant Branding::defaultVariant() const {
    return icConfigType == 1 ? Variant::R210B : Variant::R230B;
}

WebButtonPlacement webButtonPlacement(const Branding& branding, int imageWidth, int imageHeight) {
    return {branding.webX, branding.webY, imageWidth, imageHeight};
}

Branding parseBranding(std::string_view iniText) {
    const IniFile ini = IniFile::parse(iniText);
    const Reader read(ini);
    Branding b;
    read.flag("Web_Enable", b.webEnabled);
    read.text("Web", b.webAddress);
    read.number("Web_X", b.webX);
    read.number("Web_Y", b.webY);
    read.number("Rev_Manu_ID", b.reservedVendorId);
    read.number("Rev_Pro_ID", b.reservedProductId);
    read.text("Path", b.macroLibraryFolder);
    read.flag("TR_Enable", b.textRolling);
    read.flag("BE_Enable", b.beEnable);
    read.flag("GD_Enable", b.gdEnable);
    read.flag("DPILED_Status", b.dpiLedMarkers);
    read.number("Gun6_Num", b.gun6Stages);
    read.number("Gun7_Num", b.gun7Stages);
    read.number("Num_Order", b.numOrder);
    read.number("IC_Config_Type", b.icConfigType);
    read.number("Bar_Config_Type", b.barConfigType);

    b.gun6Stages = std::clamp(b.gun6Stages, 1, 2);
    b.gun7Stages = std::clamp(b.gun7Stages, 1, 3);
    b.numOrder = std::clamp(b.numOrder, 0, 1);
    return b;
}

Branding loadBranding() {
    auto bytes = ResourceTable::find("org");
    if (!bytes) return Branding{};
    return parseBranding(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

} // namespace krm
