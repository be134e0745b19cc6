#include "app/ctl/ImageCommands.h"
#include "app/ctl/Output.h"

#include "app/ctl/CtlSession.h"
#include "image/ExternalData.h"
#include "image/ImageDump.h"
#include "image/ImageFiles.h"
#include "session/MouseDump.h"

#include <cstdio>
#include <string>

namespace krm::ctl {

namespace {

bool oneFileArgument(const Context& ctx, const char* command, std::string& path) {
    if (ctx.args.size() != 1 || ctx.args[0].empty()) {
        err("krmctl: %s takes one argument, the file\n", command);
        return false;
    }
    path = ctx.args[0];
    return true;
}

// Files are checked before the mouse is reached, so a bad one costs not a single report.
int refuseFile(const char* command, const FileError& error, const char* what) {
    err("krmctl: %s: %s\n", command, error.message.c_str());
    if (error.kind == FileErrorKind::TooShort || error.kind == FileErrorKind::BadMarker ||
        error.kind == FileErrorKind::WrongSize)
        err("krmctl: %s: the file is not %s; nothing was sent to the mouse\n", command, what);
    else
        err("krmctl: %s: nothing was sent to the mouse\n", command);
    return kBadFile;
}

ChooseFile fixed(const std::string& path) {
    return [path]() -> std::optional<std::string> { return path; };
}

// Operations that end with a restart return once the mouse is back and has been read again.
int afterRestart(CtlSession& session, OperationResult result) {
    if (result != OperationResult::Done) return exitCodeFor(result);
    return session.checkReturned();
}

// `editing`: the command that builds on what was read, which refuses an image that cannot be the
// mouse's own. What a file gives whole (a profile, a factory image, a patch, a macro block) goes out
// all the same (`writing` names that command): it is how such a mouse is mended.
int connected(CtlSession& session, const Context& ctx, const char* editing = nullptr,
              const char* writing = nullptr) {
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    return editing ? session.connectToEdit(editing) : session.connect(writing);
}

const char* variantOf(CtlSession& session) {
    return session.session().presence().chipModel().c_str();
}

} // namespace

int runDump(Context& ctx) {
    bool json = false;
    for (const auto& a : ctx.args) {
        if (a != "--json") {
            err("krmctl dump: unexpected argument '%s'\n", a.c_str());
            return kUsage;
        }
        json = true;
    }
    CtlSession session(ctx);
    if (int rc = connected(session, ctx); rc != kOk) return rc;
    if (int rc = session.checkImage("dump", false); rc != kOk) return rc;
    // A section whose checksum fails is shown as the defaults it was regenerated from.
    for (const SectionCheck& c : session.session().image().lastUnpack.sections)
        if (c.repaired)
            err("krmctl: dump: the mouse's %s section is damaged (checksum %02X, %02X expected); it is "
                "shown regenerated from the defaults, and the mouse keeps the damaged bytes until the "
                "section is written again\n",
                std::string(sectionName(c.id)).c_str(), c.stored, c.expected);
    const auto tree = dumpMouseJson(session.session());
    if (json)
        out("%s\n", tree.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    else
        out("%s", renderDumpText(tree).c_str());
    return kOk;
}

int runSave(Context& ctx) {
    std::string path;
    if (!oneFileArgument(ctx, "save", path)) return kUsage;
    if (auto refused = checkWritableTarget(path)) {
        err("krmctl: save: %s\n", refused->message.c_str());
        return kBadFile;
    }
    CtlSession session(ctx);
    if (int rc = connected(session, ctx); rc != kOk) return rc;
    // The save reads the mouse again; both reads must agree (nothing changes it in between).
    const ConfigImage first = session.session().image().image;
    const OperationResult result =
        session.operations().saveProfile(fixed(path), ImageOperations::BinSuffix::AsGiven, &first);
    if (result != OperationResult::Done) return exitCodeFor(result);
    out("%s: the %s mouse's image, %zu bytes\n", path.c_str(), variantOf(session), kImageSize);
    return kOk;
}

int runLoad(Context& ctx) {
    std::string path;
    if (!oneFileArgument(ctx, "load", path)) return kUsage;
    const auto file = readProfileFile(path);
    if (!file) return refuseFile("load", file.error, "a profile file (2048 bytes, marker E0 at byte 495)");
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, nullptr, "load"); rc != kOk) return rc;
    if (int rc = afterRestart(session, session.operations().loadProfile(*file.value)); rc != kOk) return rc;
    out("%s written to the %s mouse; it restarted and was read again\n", path.c_str(), variantOf(session));
    return kOk;
}

int runRestore(Context& ctx) {
    if (ctx.args.size() != 1 || (ctx.args[0] != "1" && ctx.args[0] != "2" && ctx.args[0] != "3")) {
        err("krmctl: restore takes the number of a factory image: 1, 2 or 3\n");
        return kUsage;
    }
    const int k = ctx.args[0][0] - '0';
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, nullptr, "restore"); rc != kOk) return rc;
    if (int rc = afterRestart(session, session.operations().restore(k)); rc != kOk) return rc;
    out("factory image %d written to the %s mouse; it restarted and was read again\n", k, variantOf(session));
    return kOk;
}

int runProgram(Context& ctx) {
    std::string path;
    if (!oneFileArgument(ctx, "program", path)) return kUsage;
    // A file that is a patch for neither chip is refused before the mouse is opened; the identified
    // variant's own length is checked before anything is written.
    const auto forR210 = readPatchFile(path, ImageLayout::forVariant(Variant::R210B));
    const auto forR230 = readPatchFile(path, ImageLayout::forVariant(Variant::R230B));
    if (!forR210 && !forR230)
        return refuseFile("program",
                          (forR230.error.kind == FileErrorKind::TooShort ? forR230 : forR210).error,
                          "a patch file");
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, nullptr, "program"); rc != kOk) return rc;
    if (const auto patch = readPatchFile(path, session.session().image().copies.layout); !patch)
        return refuseFile("program", patch.error,
                          ("a patch file for this " + std::string(variantOf(session)) + " mouse").c_str());
    ImageOperations& ops = session.operations();
    if (const auto loaded = ops.loadPatchFile(fixed(path)); loaded != OperationResult::Done)
        return exitCodeFor(loaded);
    if (int rc = afterRestart(session, ops.programPatch()); rc != kOk) return rc;
    out("%s programmed into the %s mouse; it restarted and was read again\n", path.c_str(),
        variantOf(session));
    return kOk;
}

int runImportMacros(Context& ctx) {
    std::string path;
    if (!oneFileArgument(ctx, "import-macros", path)) return kUsage;
    if (const auto block = readBaseMacroFile(path); !block)
        return refuseFile("import-macros", block.error, "a 512-byte macro block file");
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, nullptr, "import-macros"); rc != kOk) return rc;
    const auto result = session.operations().importMacroBlock(fixed(path));
    if (result != OperationResult::Done) return exitCodeFor(result);
    out("%s: macro block written to the %s mouse\n", path.c_str(), variantOf(session));
    return kOk;
}

int runImportGunMacros(Context& ctx) {
    std::string path;
    if (!oneFileArgument(ctx, "import-gun-macros", path)) return kUsage;
    if (const auto bodies = readGunMacroFile(path, ImageLayout::forVariant(Variant::R210B)); !bodies)
        return refuseFile("import-gun-macros", bodies.error, "a gun macro file (ten 24-byte bodies)");
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, "import-gun-macros"); rc != kOk) return rc;
    const auto result = session.operations().importGunMacros(fixed(path));
    if (result != OperationResult::Done) return exitCodeFor(result);
    out("%s: fire-macro area written to the %s mouse\n", path.c_str(), variantOf(session));
    return kOk;
}

} // namespace krm::ctl
