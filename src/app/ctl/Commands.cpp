#include "app/ctl/Commands.h"

#include "app/ctl/ImageCommands.h"
#include "app/ctl/LinkCommands.h"
#include "app/ctl/MacroCommands.h"

namespace krm::ctl {

int runFunctions(Context& ctx);
int runInspect(Context& ctx);
int runLighting(Context& ctx);
int runDpi(Context& ctx);
int runRate(Context& ctx);
int runSniper(Context& ctx);
int runFire(Context& ctx);
int runGun(Context& ctx);
int runEngineering(Context& ctx);
int runSetOption(Context& ctx);
int runXData(Context& ctx);
int runUsbId(Context& ctx);
int runUsbName(Context& ctx);
int runExport(Context& ctx);
int runDiff(Context& ctx);
int runApply(Context& ctx);
int runProfile(Context& ctx);
int runWatch(Context& ctx);
int runServeRgb(Context& ctx);

const std::vector<Command>& commands() {
    static const std::vector<Command> kTable = {
        {"list", "", "every HID interface; * marks the mouse", runList, true},
        {"info", "", "identify the mouse: variant, ids, chip code", runInfo},
        {"read-image", "FILE", "read the mouse's 2048-byte image into FILE", runReadImage},
        {"monitor", "[--count N] [--sim-events CODES]", "print the button events as they arrive", runMonitor,
         true},
        {"dump", "[--json]", "read the mouse and print every field, codes with their names", runDump},
        {"inspect", "FILE [--variant V] [--json]", "decode a profile file (V: R210B or R230B)", runInspect,
         true},
        {"save", "FILE", "save the mouse's image to exactly FILE (no .bin added)", runSave},
        {"load", "FILE", "write a profile file to the mouse, which restarts", runLoad},
        {"restore", "1|2|3", "write factory image 1, 2 or 3 to the mouse, which restarts", runRestore},
        {"program", "PATCHFILE", "program a patch file into the mouse, which restarts", runProgram},
        {"import-macros", "FILE", "write a 512-byte macro block file to the mouse", runImportMacros},
        {"import-gun-macros", "FILE", "write a gun macro file (ten 24-byte bodies) to the mouse",
         runImportGunMacros},
        {"assign", "PROFILE BUTTON CODE", "give button 1..12 of profile 1..3 an 8-hex-digit code", runAssign},
        {"functions", "[--combo]", "list the button functions with the codes they build", runFunctions, true},
        {"lighting", "[mode NAME|N | speed 1..10 | colour N #rrggbb | dpi-colour LEVEL #rrggbb]",
         "show the lighting (type, mode, speed, colours) or change it", runLighting},
        {"dpi", "[set LEVEL VALUE | count N | current LEVEL]",
         "show the DPI levels, or set a level's value (e.g. 1600), the level count (1..8) or the current "
         "level",
         runDpi},
        {"rate", "HZ", "set the report rate: 125, 250, 500 or 1000 (the mouse restarts when it changes)",
         runRate},
        {"fire", "[slot N --repeat R --interval MS [--continue]]",
         "show the fire-key slots, guns and fire macros, or tune fire-key slot N (1..3)", runFire},
        {"gun", "N --macros K [--keep-left] [--button B]",
         "write gun N's fire macros and colours; with B, make profile 2 (Game Mode) current and give its "
         "button B the gun",
         runGun},
        {"sniper", "STEP", "give every sniper (AIM) button the DPI value STEP (e.g. 800)", runSniper},
        {"macros", "", "list the mouse's macros and the PC macro library, with their rows", runMacros},
        {"macro", "export FILE [NAME] | import FILE | add NAME | delete SLOT",
         "library to or from a file (all, or one macro); a library macro to the mouse; a mouse macro "
         "deleted",
         runMacro},
        {"engineering", "", "show every engineering option, register, USB id and factory code",
         runEngineering},
        {"set-option", "NAME VALUE",
         "set an engineering option (by caption or control name, to an item or its number) or a register "
         "(hex byte)",
         runSetOption},
        {"xdata", "read ADDR [N] | write ADDR BYTES", "read or write the MCU's XDATA memory (hex)", runXData},
        {"usb-id", "VID PID --yes", "give the mouse new USB ids (hex); it restarts and is found under them",
         runUsbId},
        {"usb-name", "TEXT", "give the mouse a new USB description (up to 16 ASCII characters)", runUsbName},
        {"export", "FILE", "write the mouse's settings to FILE as readable text (a settings file)",
         runExport},
        {"diff", "FILE", "list what applying a settings file would change (exit code 1 when anything would)",
         runDiff},
        {"apply", "FILE [--dry-run]",
         "make the mouse match a settings file (checked whole first); --dry-run only lists the changes",
         runApply},
        {"profile", "[1|2|3]",
         "show the current profile, or make profile 1..3 current as the window's buttons do", runProfile},
        {"watch", "[--rules FILE] [--dry-run]",
         "switch the profile as the focused (or running) program's rule says; print each decision", runWatch,
         true},
        {"serve-rgb", "[--port N] [--address A]",
         "serve the lighting to RGB programs (their SDK protocol; port 6742 on 127.0.0.1)", runServeRgb,
         true},
    };
    return kTable;
}

} // namespace krm::ctl
