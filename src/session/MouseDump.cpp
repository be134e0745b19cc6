#include "session/MouseDump.h"
#include "base/Bits.h"

#include "buttons/FunctionCodes.h"
#include "image/ImageDump.h"
#include "session/Session.h"

#include <memory>

namespace krm {

nlohmann::ordered_json dumpMouseJson(const Session& s) {
    struct Naming {
        LanguageTables texts;
        EditorState state;
    };
    auto naming = std::make_shared<Naming>(Naming{s.languageTables(), s.editorState()});
    naming->texts.setLanguage(1);

    DumpContext ctx;
    ctx.source = "mouse";
    ctx.deviceIds = UsbIds{static_cast<std::uint16_t>(s.link().vendorId()),
                           static_cast<std::uint16_t>(s.link().productId())};
    ctx.functionName = [naming](std::string_view code) {
        return functionCodeName(code, naming->texts, naming->state);
    };

    nlohmann::ordered_json tree = dumpImageJson(s.image(), ctx);
    auto& identity = tree["identity"];
    nlohmann::ordered_json device;
    device["variant"] = s.presence().chipModel();
    device["chip_code"] = hex2(s.presence().chipCode());
    device.update(identity);
    identity = device;
    return tree;
}

} // namespace krm
