// krmctl export FILE, diff FILE and apply FILE [--dry-run]: the mouse's settings as a text file a user
// can read, diff and keep, made to match a mouse through the same editors as the pages.

#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"
#include "settings/SettingsFiles.h"

#include <cstdio>
#include <string>

namespace krm::ctl {

namespace {

void printProblems(const std::string& path, const std::vector<SettingsProblem>& problems) {
    for (const std::string& line : problemLines(path, problems)) err("krmctl: %s\n", line.c_str());
}

// The file read and its text judged on its own, before the mouse is touched: kOk with `file` filled,
// or the problems printed and kBadFile.
int readFile(const std::string& path, const char* command, SettingsFile& file) {
    const auto text = readSettingsText(path);
    if (!text) {
        err("krmctl: %s: %s\n", command, text.error.message.c_str());
        return kBadFile;
    }
    file = parseSettings(*text.value);
    for (const std::string& line : problemLines(path, file.warnings))
        err("krmctl: warning: %s\n", line.c_str());
    if (file.problems.empty()) return kOk;
    printProblems(path, file.problems);
    err("krmctl: %s: \"%s\" has %zu problem%s; nothing was sent\n", command, path.c_str(),
        file.problems.size(), file.problems.size() == 1 ? "" : "s");
    return kBadFile;
}

// The mouse connected and the file judged against it: kOk with `plan` filled, or what ended it.
int judge(const Context& ctx, CtlSession& session, const std::string& path, const char* command,
          SettingsPlan& plan) {
    SettingsFile file;
    if (int rc = readFile(path, command, file); rc != kOk) return rc;
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    session.openGunKeyList();
    // The plan compares with what the mouse holds, and apply builds on it: a read that brought noise ends
    // here.
    if (int rc = session.connectToEdit(command); rc != kOk) return rc;
    plan = planSettings(file, session.session());
    if (plan.problems.empty()) return kOk;
    printProblems(path, plan.problems);
    err("krmctl: %s: this mouse cannot take \"%s\" as it is; nothing was sent\n", command, path.c_str());
    return kRefused;
}

} // namespace

int runExport(Context& ctx) {
    if (ctx.args.size() != 1) {
        err("krmctl: export takes FILE, the settings file to write\n");
        return kUsage;
    }
    const std::string& path = ctx.args[0];
    if (auto refused = checkWritableTarget(path)) {
        err("krmctl: export: %s\n", refused->message.c_str());
        return kBadFile;
    }
    CtlSession session(ctx);
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    session.openGunKeyList();
    if (int rc = session.connect(); rc != kOk) return rc;
    if (int rc = session.checkImage("export"); rc != kOk) return rc;
    Session& s = session.session();
    if (const auto error = writeSettingsFile(s, path, settingsDate())) {
        err("krmctl: export: %s\n", error->message.c_str());
        return kBadFile;
    }
    out("%s: the settings of the %s mouse\n", path.c_str(), std::string(variantName(s.variant())).c_str());
    return kOk;
}

int runDiff(Context& ctx) {
    if (ctx.args.size() != 1) {
        err("krmctl: diff takes FILE, a settings file\n");
        return kUsage;
    }
    CtlSession session(ctx);
    SettingsPlan plan;
    if (int rc = judge(ctx, session, ctx.args[0], "diff", plan); rc != kOk) return rc;
    for (const SettingChange& c : plan.changes) out("%s\n", changeLine(c).c_str());
    return plan.changes.empty() ? kOk : kDiffers;
}

int runApply(Context& ctx) {
    std::string path;
    bool dryRun = false;
    for (const std::string& a : ctx.args) {
        if (a == "--dry-run") {
            dryRun = true;
        } else if (path.empty()) {
            path = a;
        } else {
            path.clear();
            break;
        }
    }
    if (path.empty()) {
        err("krmctl: apply takes FILE, a settings file, and optionally --dry-run\n");
        return kUsage;
    }
    CtlSession session(ctx);
    SettingsPlan plan;
    if (int rc = judge(ctx, session, path, "apply", plan); rc != kOk) return rc;
    if (dryRun) {
        for (const SettingChange& c : plan.changes) out("%s\n", changeLine(c).c_str());
        out("%s: %zu setting%s would change; nothing was sent (--dry-run)\n", path.c_str(),
            plan.changes.size(), plan.changes.size() == 1 ? "" : "s");
        return kOk;
    }
    const ApplyResult result = applySettings(plan, session.session());
    if (result.kind != ApplyResult::Kind::Done) {
        int rc = kNoMouse;
        if (result.kind == ApplyResult::Kind::WriteFailed) {
            const std::string where =
                result.inParts ? std::string("apply")
                               : "apply: [" + result.stoppedAt->section + "] " + result.stoppedAt->key;
            rc = outcomeCode(where.c_str(), result.stoppedBy);
        } else {
            err("krmctl: apply: %s: %s%s\n", path.c_str(), result.message.c_str(),
                result.kind == ApplyResult::Kind::Refused ? "; nothing was written for it" : "");
            if (result.kind == ApplyResult::Kind::Refused) rc = kRefused;
        }
        if (result.inParts)
            err("krmctl: apply: stopped while %s; the mouse holds what `krmctl diff %s` lists as still to "
                "change\n",
                result.message.c_str(), path.c_str());
        else if (result.written.empty())
            err("krmctl: apply: stopped; no setting had been written before it\n");
        else
            err("krmctl: apply: stopped; %zu setting%s had been written before:\n", result.written.size(),
                result.written.size() == 1 ? "" : "s");
        if (!result.inParts)
            for (const SettingChange& c : result.written) err("  %s\n", changeLine(c).c_str());
        return rc;
    }
    if (result.written.empty()) {
        out("%s: the mouse matches it already; nothing was sent\n", path.c_str());
        return kOk;
    }
    for (const SettingChange& c : result.written) out("%s\n", changeLine(c).c_str());
    out("%s: %zu setting%s written (%s)\n", path.c_str(), result.written.size(),
        result.written.size() == 1 ? "" : "s", result.way.c_str());
    return kOk;
}

} // namespace krm::ctl
