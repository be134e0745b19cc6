#include "app/ctl/Commands.h"
#include "app/ctl/Output.h"

#include "buttons/EditorState.h"
#include "buttons/FunctionCatalogue.h"
#include "buttons/FunctionCodes.h"
#include "shell/LanguageTables.h"

#include <cstdio>
#include <string>

namespace krm::ctl {

namespace {

// Names come from language table 1.
const TextSource& languageOne() {
    static const LanguageTables kTables;
    return kTables;
}

} // namespace

// krmctl functions [--combo]: the function catalogue with the code each item builds now, from the
// editor's default settings; --combo builds the codes a combo key would get.
int runFunctions(Context& ctx) {
    bool combo = false;
    for (const auto& a : ctx.args) {
        if (a == "--combo") {
            combo = true;
        } else {
            err("krmctl functions: unknown argument '%s'\n", a.c_str());
            return kUsage;
        }
    }
    EditorState state;
    state.variant = variantFromName(ctx.options.simVariant).value_or(Variant::R210B);
    const TextSource& texts = languageOne();
    out("%-5s %-19s %-7s %-21s %s\n", "TAG", "ITEM", "ID", "NAME", "CODE");
    for (const auto& e : functionCatalogue()) {
        std::string name = texts.text(e.nameId);
        if (name.empty()) name = e.englishName;
        const auto code = functionCodeForTag(e.tag, state, combo);
        out("%-5d %-19.*s %-7.*s %-21s %s\n", e.tag, static_cast<int>(e.menuItem.size()), e.menuItem.data(),
            static_cast<int>(e.nameId.size()), e.nameId.data(), name.c_str(), code.c_str());
    }
    return kOk;
}

} // namespace krm::ctl
