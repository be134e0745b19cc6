#include "shell/Branding.h"

#include "shell/IniFile.h"
#include "shell/ResourceTable.h"

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
    if (IC_Config_Type == 1) return v == Variant::R210B;
    if (IC_Config_Type == 2) return v == Variant::R230B;
    return true;
}

Variant Branding::defaultVariant() const {
    return IC_Config_Type == 1 ? Variant::R210B : Variant::R230B;
}

WebButtonPlacement webButtonPlacement(const Branding& branding, int imageWidth, int imageHeight) {
    return {branding.Web_X, branding.Web_Y, imageWidth, imageHeight};
}

Branding parseBranding(std::string_view iniText) {
    const IniFile ini = IniFile::parse(iniText);
    const Reader read(ini);
    Branding b;
    read.flag("Web_Enable", b.Web_Enable);
    read.text("Web", b.Web);
    read.number("Web_X", b.Web_X);
    read.number("Web_Y", b.Web_Y);
    read.number("Rev_Manu_ID", b.Rev_Manu_ID);
    read.number("Rev_Pro_ID", b.Rev_Pro_ID);
    read.text("Path", b.Path);
    read.flag("TR_Enable", b.TR_Enable);
    read.flag("BE_Enable", b.BE_Enable);
    read.flag("GD_Enable", b.GD_Enable);
    read.flag("DPILED_Status", b.DPILED_Status);
    read.number("Gun6_Num", b.Gun6_Num);
    read.number("Gun7_Num", b.Gun7_Num);
    read.number("Num_Order", b.Num_Order);
    read.number("IC_Config_Type", b.IC_Config_Type);
    read.number("Bar_Config_Type", b.Bar_Config_Type);

    b.Gun6_Num = std::clamp(b.Gun6_Num, 1, 2);
    b.Gun7_Num = std::clamp(b.Gun7_Num, 1, 3);
    b.Num_Order = std::clamp(b.Num_Order, 0, 1);
    return b;
}

Branding LoadBranding() {
    auto bytes = ResourceTable::find("org");
    if (!bytes) return Branding{};
    return parseBranding(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

} // namespace krm
