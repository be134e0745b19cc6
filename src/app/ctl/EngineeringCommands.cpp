// krmctl engineering | set-option | xdata | usb-id | usb-name: the engineering page's fields, written
// through its editor like the page does.

#include "app/ctl/CtlSession.h"
#include "app/ctl/Output.h"
#include "base/Bits.h"
#include "engineering/EngineeringEditor.h"
#include "shell/EngineeringCaptions.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace krm::ctl {

namespace {

std::string lower(std::string_view text) {
    std::string lowered;
    for (char c : text) lowered += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered;
}

// A label without its colon and surrounding spaces: "CPI Set:" -> "cpi set".
std::string labelKey(std::string_view label) {
    std::string key = lower(label);
    while (!key.empty() && (key.back() == ':' || key.back() == ' ')) key.pop_back();
    return key;
}

const OptionControl* findOption(const std::string& name) {
    if (const OptionControl* c = findOptionControl(name)) return c;
    for (const OptionControl& c : optionControls())
        if (labelKey(c.label) == labelKey(name) || lower(c.control) == lower(name)) return &c;
    return nullptr;
}

const RegisterControl* findRegister(const std::string& name) {
    const std::string key = lower(name.starts_with("edt_") ? name.substr(4) : name);
    for (const RegisterControl& r : registerControls())
        if (lower(r.name) == key) return &r;
    return nullptr;
}

// Exactly `digits` hex digits or fewer (with an optional 0x), as a number.
std::optional<long> hexArgument(std::string text, std::size_t maxDigits) {
    if (text.starts_with("0x") || text.starts_with("0X")) text.erase(0, 2);
    if (text.empty() || text.size() > maxDigits || filterHex(text).size() != text.size()) return std::nullopt;
    return hexValue(text);
}

std::optional<int> itemIndex(const OptionControl& c, const std::string& value) {
    for (std::size_t i = 0; i < c.items.size(); ++i)
        if (lower(c.items[i]) == lower(value) || labelKey(c.items[i]) == labelKey(value))
            return static_cast<int>(i);
    if (value.size() == 1 && value[0] >= '0' && value[0] < static_cast<char>('0' + c.items.size()))
        return value[0] - '0';
    return std::nullopt;
}

// The profile-switch options of the gun tab, which the fire editor keeps: three switches and the
// offset (edt_OffSet, hex 00..FF).
struct SwitchOption {
    const char* control;
    int captionRow;                   // its label in the engineering caption table
    bool ProfileSwitchOptions::*flag; // null: the offset
    std::string_view label() const { return engineeringCaption(captionRow, 0); }
};
constexpr SwitchOption kSwitchOptions[] = {
    {"cb_RTZ", 156, &ProfileSwitchOptions::returnToZero},
    {"cb_AXY", 157, &ProfileSwitchOptions::adjustXy},
    {"cb_CC", 158, &ProfileSwitchOptions::changeColour},
    {"edt_OffSet", 159, nullptr},
};

const SwitchOption* findSwitchOption(const std::string& name) {
    for (const SwitchOption& o : kSwitchOptions)
        if (lower(o.control) == lower(name) || labelKey(o.label()) == labelKey(name)) return &o;
    return nullptr;
}

std::string switchOptionText(const SwitchOption& o, const ProfileSwitchOptions& options) {
    return o.flag ? (options.*o.flag ? "Enable" : "Disable")
                  : hex2(static_cast<unsigned>(options.switchOffset));
}

std::string itemList(const OptionControl& c) {
    std::string text;
    for (std::size_t i = 0; i < c.items.size(); ++i)
        text += (i ? ", " : "") + std::to_string(i) + " \"" + std::string(c.items[i]) + "\"";
    return text;
}

int usage(const char* command, std::string what) {
    if (what.ends_with('.')) what.pop_back();
    err("krmctl: %s: %s; nothing was sent\n", command, what.c_str());
    return kUsage;
}

// `editing`: the command that changes the mouse, which refuses an image that cannot be its own.
int connected(CtlSession& session, const Context& ctx, const char* editing = nullptr) {
    if (int rc = session.start(ctx.options); rc != kOk) return rc;
    return editing ? session.connectToEdit(editing) : session.connect();
}

void showEngineering(EngineeringEditor& e, const FireEditor& fire) {
    out("usb: vendor id %04X, product id %04X, description \"%s\"\n", e.vendorId(), e.productId(),
        e.descriptor().c_str());
    out("factory codes: vendor %d, product %d\n", e.vendorCode(), e.productCode());
    out("patch code checksum: %04X\n", e.patchChecksum());
    std::string_view group = "-";
    for (const OptionControl& c : optionControls()) {
        if (c.group != group) {
            group = c.group;
            out("%s\n", group.empty() ? "Operator" : std::string(group).c_str());
        }
        const auto index = e.optionIndex(c);
        out("  %-20s %-20s %s\n", std::string(c.label).c_str(), std::string(c.control).c_str(),
            index ? std::string(c.items[static_cast<std::size_t>(*index)]).c_str() : "(no item)");
    }
    out("Profile switch\n");
    for (const SwitchOption& o : kSwitchOptions)
        out("  %-20s %-20s %s\n", std::string(o.label()).c_str(), o.control,
            switchOptionText(o, fire.profileSwitchOptions()).c_str());
    out("XData\n");
    for (const RegisterControl& r : registerControls()) {
        if (r.offset == 40) out("LED Init\n");
        out("  %-26s %s\n", (std::string(r.name) + ":").c_str(), hex2(e.registerValue(r)).c_str());
    }
}

} // namespace

int runEngineering(Context& ctx) {
    if (!ctx.args.empty()) return usage("engineering", "takes no arguments");
    CtlSession session(ctx);
    if (int rc = connected(session, ctx); rc != kOk) return rc;
    showEngineering(session.session().engineering(), session.session().fire());
    return kOk;
}

int runSetOption(Context& ctx) {
    const auto& a = ctx.args;
    if (a.size() != 2)
        return usage("set-option", "takes NAME VALUE, e.g. 'set-option \"CPI Set\" 800,1200,1600,2400'");
    const OptionControl* option = findOption(a[0]);
    const SwitchOption* switchOption = option ? nullptr : findSwitchOption(a[0]);
    const RegisterControl* reg = option || switchOption ? nullptr : findRegister(a[0]);
    std::optional<int> index;
    std::optional<long> value;
    if (switchOption) {
        const std::string v = lower(a[1]);
        if (switchOption->flag && (v == "enable" || v == "1" || v == "disable" || v == "0"))
            value = v == "enable" || v == "1";
        else if (!switchOption->flag)
            value = hexArgument(a[1], 2);
        if (!value)
            return usage("set-option",
                         std::string(switchOption->control) +
                             (switchOption->flag ? " takes Disable or Enable" : " takes a hex byte 00..FF") +
                             ", not '" + a[1] + "'");
    } else if (option) {
        if (!(index = itemIndex(*option, a[1])))
            return usage("set-option", std::string(option->control) + " takes one of " + itemList(*option) +
                                           ", not '" + a[1] + "'");
    } else if (reg) {
        if (!(value = hexArgument(a[1], static_cast<std::size_t>(reg->digits))) || *value > 255)
            return usage("set-option", "register " + std::string(reg->name) +
                                           " takes a hex byte 00..FF, not '" + a[1] + "'");
    } else {
        return usage("set-option", "no option or register '" + a[0] + "' (see krmctl engineering)");
    }
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, "set-option"); rc != kOk) return rc;
    Session& s = session.session();
    EngineeringEditor& e = s.engineering();
    EditOutcome outcome;
    if (switchOption) {
        ProfileSwitchOptions options = s.fire().profileSwitchOptions();
        if (switchOption->flag)
            options.*switchOption->flag = *value != 0;
        else
            options.switchOffset = static_cast<int>(*value);
        outcome = s.fire().setProfileSwitchOptions(options);
    } else {
        outcome = option ? e.chooseOption(*option, *index) : e.setRegister(*reg, *value);
    }
    if (int rc = session.carryOut("set-option", std::move(outcome)); rc != kOk) return rc;
    if (switchOption)
        out("%s %s\n", std::string(switchOption->label()).c_str(),
            switchOptionText(*switchOption, s.fire().profileSwitchOptions()).c_str());
    else if (option)
        out("%s %s\n", std::string(option->label).c_str(),
            std::string(option->items[static_cast<std::size_t>(*index)]).c_str());
    else
        out("%s: %s\n", std::string(reg->name).c_str(), hex2(static_cast<unsigned>(*value)).c_str());
    return kOk;
}

int runXData(Context& ctx) {
    const auto& a = ctx.args;
    const std::string verb = a.empty() ? "" : a[0];
    std::optional<long> address;
    if ((verb == "read" && (a.size() == 2 || a.size() == 3)) || (verb == "write" && a.size() >= 3)) {
        if (!(address = hexArgument(a[1], 4)))
            return usage("xdata", "an address is 1..4 hex digits (0000..FFFF), not '" + a[1] + "'");
    } else {
        return usage("xdata",
                     "takes 'read ADDR [N]' or 'write ADDR BYTES' (hex, e.g. 'write 7241 01 06 01')");
    }
    long count = 1;
    std::vector<std::uint8_t> bytes;
    if (verb == "read" && a.size() == 3) {
        count = decimalValue(a[2]);
        if (filterDecimal(a[2]) != a[2] || count < 1 || count > 256)
            return usage("xdata", "N is 1..256, not '" + a[2] + "'");
    }
    if (verb == "write") {
        std::string digits;
        for (std::size_t i = 2; i < a.size(); ++i) digits += a[i];
        if (digits.empty() || digits.size() % 2 != 0 || filterHex(digits) != digits)
            return usage("xdata", "BYTES are pairs of hex digits (e.g. 01 06 01)");
        for (std::size_t i = 0; i < digits.size(); i += 2)
            bytes.push_back(static_cast<std::uint8_t>(hexValue(digits.substr(i, 2))));
        count = static_cast<long>(bytes.size());
    }
    if (*address + count > 0x10000) return usage("xdata", "the range runs past address FFFF");

    CtlSession session(ctx);
    if (int rc = connected(session, ctx, verb == "write" ? "xdata" : nullptr); rc != kOk) return rc;
    Session& s = session.session();
    const auto first = static_cast<std::uint16_t>(*address);
    if (verb == "read") {
        for (long i = 0; i < count; ++i) {
            const auto at = static_cast<std::uint16_t>(first + i);
            std::uint8_t value = 0;
            if (!s.commands().xdataRead(at, value)) {
                err("krmctl: xdata: reading %s failed (the mouse refused or did not answer)\n",
                    hex4(at).c_str());
                return kTransfer;
            }
            out("%s: %s\n", hex4(at).c_str(), hex2(value).c_str());
        }
        return kOk;
    }
    EditOutcome outcome;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto one = s.engineering().xdataWrite(static_cast<std::uint16_t>(first + i), bytes[i]);
        outcome.requests.insert(outcome.requests.end(), one.requests.begin(), one.requests.end());
    }
    if (int rc = session.carryOut("xdata", std::move(outcome)); rc != kOk) return rc;
    out("%zu byte%s written from %s\n", bytes.size(), bytes.size() == 1 ? "" : "s", hex4(first).c_str());
    return kOk;
}

int runUsbId(Context& ctx) {
    std::vector<std::string> a;
    bool yes = false;
    for (const auto& arg : ctx.args) (arg == "--yes" ? yes = true : (a.push_back(arg), false));
    if (a.size() != 2) return usage("usb-id", "takes VID PID (4 hex digits each) and --yes");
    for (const auto& id : a)
        if (id.size() != 4 || filterHex(id) != id || hexValue(id) == 0)
            return usage("usb-id", "an id is 4 hex digits other than 0000, not '" + id + "'");
    const DeviceIdTable::Entry ids{static_cast<std::uint32_t>(hexValue(a[0])),
                                   static_cast<std::uint32_t>(hexValue(a[1]))};
    if (!yes) {
        err("krmctl: usb-id: the mouse would restart as %04X:%04X; without a udev rule for these ids "
            "only root reaches it afterwards:\n%s\nRun again with --yes to go ahead; nothing was sent.\n",
            ids.vendorId, ids.productId, DeviceIdTable::udevRule(ids).c_str());
        return kUsage;
    }
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, "usb-id"); rc != kOk) return rc;
    Session& s = session.session();
    EngineeringEditor& e = s.engineering();
    EditOutcome outcome = e.typeVendorId(a[0]);
    const EditOutcome pid = e.typeProductId(a[1]);
    outcome.requests.insert(outcome.requests.end(), pid.requests.begin(), pid.requests.end());
    // The new ids take effect when the mouse starts again.
    outcome.requests.push_back(EditRequest::restart());
    if (int rc = session.carryOut("usb-id", std::move(outcome)); rc != kOk) return rc;
    if (int rc = session.checkReturned(); rc != kOk) return rc;
    out("the mouse restarted and was found again as %04X:%04X\n", s.link().vendorId(), s.link().productId());
    return kOk;
}

int runUsbName(Context& ctx) {
    if (ctx.args.size() != 1)
        return usage("usb-name", "takes the description text (up to 16 ASCII characters)");
    const std::string& text = ctx.args[0];
    // The editor's own rule, judged before the mouse is opened.
    EngineeringEditor judge(nullptr);
    if (const auto verdict = judge.typeDescriptor(text); verdict.refused)
        return usage("usb-name", verdict.message.value_or("refused"));
    CtlSession session(ctx);
    if (int rc = connected(session, ctx, "usb-name"); rc != kOk) return rc;
    Session& s = session.session();
    if (int rc = session.carryOut("usb-name", s.engineering().typeDescriptor(text)); rc != kOk) return rc;
    out("USB description \"%s\" written; the mouse shows it after it is unplugged and plugged in again\n",
        text.c_str());
    return kOk;
}

} // namespace krm::ctl
