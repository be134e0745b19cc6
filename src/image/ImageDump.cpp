#include "image/ImageDump.h"
#include "base/Bits.h"

#include "image/FunctionCode.h"
#include "image/ImageFields.h"

#include <sstream>

namespace krm {

namespace {

using Json = nlohmann::ordered_json;

std::string hex2(std::uint8_t b) {
    return hexBytes(std::span<const std::uint8_t>(&b, 1));
}
std::string hex4(std::uint16_t v) {
    const std::uint8_t b[] = {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v & 0xFF)};
    return hexBytes(b);
}

// The product string is 8-bit text; shown as Latin-1 so that any byte prints.
std::string latin1ToUtf8(const std::string& s) {
    std::string out;
    for (char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

Json code(const FunctionCode& c, const DumpContext& ctx) {
    Json j;
    j["code"] = codeText(c);
    if (ctx.functionName) j["name"] = ctx.functionName(codeText(c));
    return j;
}

// Names of the records in the macro block, walked as the mouse stores them: 16 name bytes, then
// events up to their 0x00 terminator, back to back from the block's start. This only names what is
// there; building and editing the device macro table is the macro subsystem's.
Json macroRecords(std::span<const std::uint8_t> block) {
    Json list = Json::array();
    std::size_t pos = 0;
    for (int slot = 0; slot < 15 && pos + 16 <= block.size(); ++slot) {
        const std::uint8_t a = block[pos], b = block[pos + 1];
        if ((a == 0 && b == 0) || a == 0xFF || b == 0xFF) break;
        std::size_t offset = 0, length = 16; // length without a terminator: the name alone
        const std::size_t events = pos + 16;
        while (offset < 256 && events + offset < block.size()) {
            const std::uint8_t e = block[events + offset];
            if (e == 0x00) {
                length = 16 + offset + 1;
                break;
            }
            if (e == 0x01 || e == 0x02 || e == 0x81 || e == 0x82 || e == 0xFD)
                offset += 2;
            else if (e == 0x04 || e == 0xFE)
                offset += 3;
            else if (e == 0x21 || e == 0x22 || e == 0x24 || e == 0x28 || e == 0x30 || e == 0xA1 ||
                     e == 0xA2 || e == 0xA4 || e == 0xA8 || e == 0xB0 || e == 0xFC)
                offset += 1;
            else { // not an event: the macro ends here
                length = 16 + offset + 1;
                break;
            }
        }
        Json m;
        m["slot"] = slot;
        m["name"] = decodeName16(block.subspan(pos, 16));
        m["start_address"] = image::kMacroOffset + pos + 16;
        m["record_length"] = length;
        list.push_back(m);
        pos += length;
    }
    return list;
}

Json sectionStatus(const UnpackReport& report) {
    Json list = Json::array();
    for (const auto& s : report.sections) {
        Json j;
        j["section"] = sectionName(s.id);
        // The mouse keeps the damaged bytes until the section is written again.
        j["status"] = s.repaired ? "damaged, regenerated from the defaults" : "good";
        j["stored_checksum"] = hex2(s.stored);
        j["expected_checksum"] = hex2(s.expected);
        list.push_back(j);
    }
    return list;
}

Json options(std::span<const std::uint8_t> v) {
    Json list = Json::array();
    for (const auto& f : optionFields()) {
        const int value = readOption(f, v);
        Json j;
        j["name"] = f.name;
        j["control"] = f.control;
        j["byte"] = f.offset;
        j["bits"] =
            f.high == f.low ? std::to_string(f.high) : std::to_string(f.high) + ":" + std::to_string(f.low);
        j["value"] = value;
        j["text"] = optionText(f, value);
        list.push_back(j);
    }
    return list;
}

Json lighting(const SectionCopies& c) {
    const auto& v = c.vendor;
    const LedTypeByte led = decodeLedType(c.user[user::kLedType]);
    Json j;
    j["led_type_byte"] = hex2(c.user[user::kLedType]);
    j["led_type"] = ledTypeText(led.type);
    j["mode"] = led.mode;
    if (led.type == LedType::NT) j["led_count"] = led.ledCount;
    j["mode_enable_mask"] = hex2(v[vendor::kModeEnableMask]);
    const Breathing br = decodeBreathing(v);
    j["breathing"] = Json{{"lower_brightness", br.lowerBrightness},
                          {"upper_brightness", br.upperBrightness},
                          {"lower_hold_time", br.lowerHold},
                          {"upper_hold_time", br.upperHold}};
    j["step_time"] = br.stepTime;
    j["speed_level"] = speedLevelFromStepTime(br.stepTime);
    Json colours = Json::array();
    for (int n = 1; n <= 10; ++n) colours.push_back(rgbHex(colourTableEntry(v, n)));
    j["colours"] = colours;
    const std::uint8_t b164 = c.user[user::kProfileAndColour];
    j["profile_colour_nibble"] = b164 >> 4;
    if (auto index = profileColourIndex(b164))
        j["profile_colour"] =
            *index == 10 ? std::string("user colour") : "colour " + std::to_string(*index + 1);
    else
        j["profile_colour"] = nullptr;
    const McuLed mcu = decodeMcuLed(c.patchBlock);
    Json m;
    m["speed_step"] = mcu.speedStep;
    m["brightness"] = mcu.fullBright ? "full" : "half";
    m["count_code"] = mcu.countCode;
    m["led_count"] = mcu.ledCount ? Json(*mcu.ledCount) : Json(nullptr);
    m["checksum"] = hex2(mcu.checksum);
    m["checksum_status"] = mcu.checksumGood ? "good" : "bad";
    j["mcu_led"] = m;
    return j;
}

} // namespace

nlohmann::ordered_json dumpImageJson(const ImageState& state, const DumpContext& ctx) {
    const SectionCopies& c = state.copies;
    const auto& v = c.vendor;
    const auto& u = c.user;
    Json root;
    root["source"] = ctx.source;
    root["variant"] = variantName(c.layout.variant);

    Json id;
    if (ctx.deviceIds) {
        id["device_vendor_id"] = hex4(ctx.deviceIds->vendorId);
        id["device_product_id"] = hex4(ctx.deviceIds->productId);
    }
    id["vendor_id"] = hex4(readBe16(v, vendor::kVendorId));
    id["product_id"] = hex4(readBe16(v, vendor::kProductId));
    id["product_string"] = latin1ToUtf8(productString(v));
    id["factory_vendor_code"] = factoryVendorCode(c.fireKey);
    id["factory_product_code"] = factoryProductCode(c.fireKey);
    root["identity"] = id;

    root["sections"] = sectionStatus(state.lastUnpack);
    root["option_bytes"] = hexBytes(std::span<const std::uint8_t>(v).subspan(4, 5), " ");
    root["options"] = options(v);

    Json regs;
    for (const auto& r : sensorRegisters()) regs[std::string(r.name)] = hex2(v[r.offset]);
    root["sensor_registers"] = regs;

    const DpiLevels dpi = decodeDpiLevels(v);
    Json d;
    d["count"] = dpi.count;
    d["current_level"] = u[user::kCurrentDpi] + 1;
    Json levels = Json::array();
    for (int n = 1; n <= 8; ++n) {
        const int step = dpi.steps[static_cast<std::size_t>(n - 1)];
        levels.push_back(Json{{"level", n},
                              {"enabled", n <= dpi.count},
                              {"step", step},
                              {"text", dpiStepText(step)},
                              {"colour", rgbHex(dpiLevelColour(v, n))}});
    }
    d["levels"] = levels;
    root["dpi"] = d;
    root["report_rate_hz"] = reportRateHz(v);
    root["lighting"] = lighting(c);

    Json us;
    us["current_profile"] = currentProfile(u[user::kProfileAndColour]) + 1;
    us["button_effect_byte"] = u[user::kButtonEffect];
    const auto effect = buttonEffectIndex(u[user::kButtonEffect]);
    us["button_effect"] = effect ? Json(*effect == 1 ? "on" : "off") : Json(nullptr);
    us["gun_mode_a"] = u[user::kGunModeA];
    us["gun_mode_b"] = u[user::kGunModeB];
    us["gun_mode_offset"] = u[user::kGunModeOffset];
    Json xs = Json::array(), ys = Json::array();
    for (int i = 0; i < 10; ++i) {
        xs.push_back(fireMacroXAdjust(u, i));
        ys.push_back(fireMacroYAdjust(u, i));
    }
    us["fire_macro_x_adjust"] = xs;
    us["fire_macro_y_adjust"] = ys;
    root["user"] = us;

    Json combos = Json::array();
    for (int n = 1; n <= 9; ++n) {
        Json k{{"key", n}};
        k.update(code(comboKeyCode(c, n), ctx));
        combos.push_back(k);
    }
    root["combo_keys"] = combos;

    Json profiles = Json::array();
    for (int p = 1; p <= 3; ++p) {
        Json buttons = Json::array();
        for (int k = 1; k <= 12; ++k) {
            Json b{{"button", k}};
            b.update(code(profileCode(c, p, k), ctx));
            buttons.push_back(b);
        }
        profiles.push_back(Json{{"profile", p}, {"buttons", buttons}});
    }
    root["profiles"] = profiles;

    Json fk;
    Json slots = Json::array();
    for (int s = 1; s <= 3; ++s) {
        const FireKeyBlockSlot slot = readFireKeySlot(c.fireKey, s);
        slots.push_back(Json{{"slot", s}, {"repeat", slot.repeat}, {"interval_ms", slot.interval}});
    }
    fk["slots"] = slots;
    fk["marker"] = hex2(imageMarker(c.fireKey));
    root["fire_keys"] = fk;

    root["macros"] = macroRecords(c.macroBlock);

    const PatchDescriptor pd = decodePatchDescriptor(c.patchBlock);
    const std::uint16_t codeSum = patchCodeChecksum(c.patchCode);
    root["patch"] = Json{{"code_offset", hex4(pd.codeOffset)},
                         {"bytes_2_3", hex4(pd.fileWord)},
                         {"bytes_4_5", hex4(pd.fixedWord)},
                         {"checksum", hex4(pd.checksum)},
                         {"code_checksum", hex4(codeSum)},
                         {"checksum_status", codeSum == pd.checksum ? "good" : "differs from the code"}};

    Json fire = Json::array();
    for (int i = 0; i < image::kFireMacroCount; ++i) {
        Json m{{"macro", i + 1}};
        if (c.layout.firstBodyOffset > 0)
            m["name"] = decodeName16(c.fireMacroNames[static_cast<std::size_t>(i)]);
        m["body"] = hexBytes(c.fireMacroBodies[static_cast<std::size_t>(i)], " ");
        fire.push_back(m);
    }
    root["fire_macros"] = fire;
    return root;
}

namespace {

bool isScalar(const Json& j) {
    return !j.is_object() && !j.is_array();
}

std::string scalarText(const Json& j) {
    if (j.is_null()) return "-";
    if (j.is_string()) return j.get<std::string>();
    if (j.is_boolean()) return j.get<bool>() ? "yes" : "no";
    return j.dump();
}

// A string value inside a one-line item is quoted when it holds a blank, so items stay readable.
std::string itemText(const Json& j) {
    std::string t = scalarText(j);
    if (j.is_string() && t.find(' ') != std::string::npos) return '"' + t + '"';
    return t;
}

bool flat(const Json& obj) {
    for (const auto& [k, v] : obj.items())
        if (!isScalar(v)) return false;
    return true;
}

void render(std::ostringstream& out, const Json& obj, int indent) {
    const std::string pad(static_cast<std::size_t>(indent), ' ');
    for (const auto& [key, value] : obj.items()) {
        if (isScalar(value)) {
            out << pad << key << ": " << scalarText(value) << '\n';
        } else if (value.is_object()) {
            out << pad << key << ":\n";
            render(out, value, indent + 2);
        } else if (std::all_of(value.begin(), value.end(), isScalar)) {
            out << pad << key << ":";
            for (const auto& e : value) out << ' ' << scalarText(e);
            out << '\n';
        } else {
            out << pad << key << ":\n";
            for (const auto& e : value) {
                if (e.is_object() && flat(e)) {
                    out << pad << "  -";
                    for (const auto& [k, v] : e.items()) out << ' ' << k << '=' << itemText(v);
                    out << '\n';
                } else if (e.is_object()) {
                    out << pad << "  -\n";
                    render(out, e, indent + 4);
                } else {
                    out << pad << "  - " << scalarText(e) << '\n';
                }
            }
        }
    }
}

} // namespace

std::string renderDumpText(const nlohmann::ordered_json& tree) {
    std::ostringstream out;
    render(out, tree, 0);
    return out.str();
}

std::string dumpImageText(const ImageState& state, const DumpContext& ctx) {
    return renderDumpText(dumpImageJson(state, ctx));
}

FileResult<std::string> dumpProfileFile(const std::string& path, Variant variant, bool json) {
    using R = FileResult<std::string>;
    const auto file = readProfileFile(path);
    if (!file) return R::fail(file.error.kind, file.error.message);
    ImageState state = ImageState::forVariant(variant);
    replaceImage(state, *file.value, DefaultInputs{});
    DumpContext ctx;
    ctx.source = path;
    if (!json) return R{dumpImageText(state, ctx), {}};
    return R{dumpImageJson(state, ctx).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n",
             {}};
}

} // namespace krm
