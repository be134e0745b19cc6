// krmctl macros / macro export|import|add|delete: the device macros and the PC macro library, through
// the macro editor and Session::apply.

#include "app/ctl/MacroCommands.h"
#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"
#include "base/Bits.h"
#include "base/IniFile.h"
#include "image/ImageFiles.h"
#include "macros/MacroLibrary.h"
#include "shell/Branding.h"

#include <cstdio>
#include <string>

namespace krm::ctl {

namespace {

void printRows(std::span<const std::uint8_t> events) {
    const MacroRows rows = buildMacroRows(events);
    if (rows.repeat.kind == RepeatOption::Kind::UntilReleased) out("      repeat until released\n");
    if (rows.repeat.kind == RepeatOption::Kind::Cycles) out("      repeat %d times\n", rows.repeat.cycles);
    for (const MacroRow& row : rows.rows) out("      %s\n", row.text().c_str());
}

std::string libraryPath() {
    return macroLibraryPath(loadBranding().macroLibraryFolder);
}

// The library as krmctl uses it; a problem is printed and ends the command.
bool openLibrary(MacroLibrary& library, const char* command) {
    const LibraryResult r = library.open(libraryPath());
    if (r) return true;
    err("krmctl: %s: %s\n", command, r.message.c_str());
    return false;
}

int libraryRefusal(const char* command, const LibraryResult& r, const TextSource* texts) {
    switch (r.kind) {
    case LibraryResult::Kind::Done:
        return kOk;
    case LibraryResult::Kind::Duplicate:
        err("krmctl: %s: %s; the library was not changed\n", command,
            texts ? texts->text("Str106").c_str() : "This macro already exists");
        return kRefused;
    case LibraryResult::Kind::Full:
        err("krmctl: %s: the library holds 100 macros; nothing was added\n", command);
        return kRefused;
    case LibraryResult::Kind::FileError:
        err("krmctl: %s: %s\n", command, r.message.c_str());
        return kBadFile;
    default:
        err("krmctl: %s: refused\n", command);
        return kRefused;
    }
}

int macroExport(const Context& ctx) {
    if (ctx.args.size() < 2 || ctx.args.size() > 3) {
        err("krmctl: macro export takes FILE and optionally the NAME of one library macro\n");
        return kUsage;
    }
    MacroLibrary library;
    if (!openLibrary(library, "macro export")) return kBadFile;
    const std::string& file = ctx.args[1];
    if (ctx.args.size() == 3) {
        const auto i = library.find(macroNameBytes(ctx.args[2]));
        if (!i) {
            err("krmctl: macro export: the library has no macro named '%s'\n", ctx.args[2].c_str());
            return kUsage;
        }
        if (int rc = libraryRefusal("macro export", library.exportOne(*i, file), nullptr); rc != kOk)
            return rc;
        out("%s: library macro '%s', %zu bytes\n", file.c_str(), ctx.args[2].c_str(), macro::kRecordSize);
        return kOk;
    }
    if (int rc = libraryRefusal("macro export", library.exportAll(file), nullptr); rc != kOk) return rc;
    out("%s: the library, %zu macros, %zu bytes\n", file.c_str(), library.size(), macro_library::kFileSize);
    return kOk;
}

int macroImport(const Context& ctx) {
    if (ctx.args.size() != 2) {
        err("krmctl: macro import takes FILE (one macro of 272 bytes or a library of 27200)\n");
        return kUsage;
    }
    const std::string& file = ctx.args[1];
    const auto bytes = readFilePrefix(file, macro_library::kFileSize + 1);
    if (!bytes) {
        err("krmctl: macro import: %s\n", bytes.error.message.c_str());
        return kBadFile;
    }
    const std::size_t size = bytes.value->size();
    if (size != macro::kRecordSize && size != macro_library::kFileSize) {
        err("krmctl: macro import: \"%s\" has %zu bytes; a single macro file has 272 and a library "
            "27200. The library was not changed\n",
            file.c_str(), size);
        return kBadFile;
    }
    MacroLibrary library;
    if (!openLibrary(library, "macro import")) return kBadFile;
    const bool one = size == macro::kRecordSize;
    const LibraryResult r = one ? library.importOne(file) : library.importAll(file);
    if (int rc = libraryRefusal("macro import", r, nullptr); rc != kOk) return rc;
    if (one)
        out("%s: '%s' added to the library (%zu macros)\n", file.c_str(),
            library.name(library.size() - 1).c_str(), library.size());
    else
        out("%s: the library now holds %zu macros\n", file.c_str(), library.size());
    return kOk;
}

// `editing`: the command that changes the mouse, which refuses an image that cannot be its own.
int connected(CtlSession& session, const Context& ctx, const char* editing = nullptr) {
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    if (const LibraryResult r = session.session().macros().openLibrary(libraryPath()); !r) {
        err("krmctl: %s\n", r.message.c_str());
        return kBadFile;
    }
    return editing ? session.connectToEdit(editing) : session.connect();
}

int macroAdd(const Context& ctx) {
    if (ctx.args.size() != 2) {
        err("krmctl: macro add takes the NAME of a library macro\n");
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, "macro add"); rc != kOk) return rc;
    Session& s = session.session();
    MacroEditor& editor = s.macros();
    const auto i = editor.library().find(macroNameBytes(ctx.args[1]));
    if (!i) {
        err("krmctl: macro add: the library has no macro named '%s'\n", ctx.args[1].c_str());
        return kUsage;
    }
    EditOutcome outcome = editor.addToMouse(*i);
    if (outcome.refused && !outcome.message) outcome.message = "the mouse holds 15 macros";
    if (int rc = session.carryOut("macro add", std::move(outcome)); rc != kOk) return rc;
    const std::size_t slot = editor.deviceMacros().size() - 1;
    out("slot %zu: '%s' at %u (button code %s)\n", slot, ctx.args[1].c_str(),
        editor.deviceMacros().entries()[slot].startAddress,
        hexBytes(runMacroCode(editor.deviceMacros().entries()[slot].startAddress)).c_str());
    return kOk;
}

int macroDelete(const Context& ctx) {
    const auto slot = ctx.args.size() == 2 ? parseDecimal(ctx.args[1]) : std::nullopt;
    if (!slot || *slot < 0 || *slot >= static_cast<long>(device_macros::kMaxSlots)) {
        err("krmctl: macro delete takes the SLOT (0..14) of a device macro\n");
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, "macro delete"); rc != kOk) return rc;
    Session& s = session.session();
    const auto index = static_cast<std::size_t>(*slot);
    if (index >= s.macros().deviceMacros().size()) {
        err("krmctl: macro delete: the mouse holds %zu macros; slot %zu is empty\n",
            s.macros().deviceMacros().size(), index);
        return kUsage;
    }
    const std::string name = s.macros().deviceMacroName(index);
    if (int rc = session.carryOut("macro delete", s.macros().deleteDeviceMacro(index)); rc != kOk) return rc;
    out("slot %zu: '%s' deleted; %zu macros remain\n", index, name.c_str(), s.macros().deviceMacros().size());
    return kOk;
}

} // namespace

int runMacros(Context& ctx) {
    if (!ctx.args.empty()) {
        err("krmctl: macros takes no arguments\n");
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = connected(session, ctx); rc != kOk) return rc;
    const MacroEditor& editor = session.session().macros();
    out("mouse: %zu macros, %zu of 512 bytes\n", editor.deviceMacros().size(),
        editor.deviceMacros().totalLength());
    for (std::size_t i = 0; i < editor.deviceMacros().size(); ++i) {
        const DeviceMacro& m = editor.deviceMacros().entries()[i];
        out("  slot %zu: %s  start %u  code %s  %zu bytes\n", i, macroNameText(m.name).c_str(),
            m.startAddress, hexBytes(runMacroCode(m.startAddress)).c_str(), m.recordLength());
        printRows(m.events);
    }
    const MacroLibrary& library = editor.library();
    out("library %s: %zu macros\n", library.path().c_str(), library.size());
    for (std::size_t i = 0; i < library.size(); ++i) {
        out("  %zu: %s\n", i, library.name(i).c_str());
        printRows(library.at(i).events);
    }
    return kOk;
}

int runMacro(Context& ctx) {
    const std::string sub = ctx.args.empty() ? std::string() : ctx.args[0];
    if (sub == "export") return macroExport(ctx);
    if (sub == "import") return macroImport(ctx);
    if (sub == "add") return macroAdd(ctx);
    if (sub == "delete") return macroDelete(ctx);
    err("krmctl: macro takes export FILE [NAME], import FILE, add NAME or delete SLOT\n");
    return kUsage;
}

} // namespace krm::ctl
