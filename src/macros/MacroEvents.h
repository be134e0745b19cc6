#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

// The macro event encoding shared by the mouse's macro block, the PC macro library and the fire
// macros. A macro is a byte stream of events ended by 0x00; the first byte of an event gives its kind
// and length:
//
//   00                 end of macro
//   81 mm / 01 mm      modifier pressed / released (mm: 01 Ctrl, 02 Shift, 04 Alt, 08 left Win, 80 right Win)
//   82 kk / 02 kk      key pressed / released (kk: the stored key byte, hookKeyToUsage)
//   A1 A2 A4 A8 B0     mouse button pressed: left, right, middle, forward, backward (21 22 24 28 30 released)
//   04 xx yy           pointer move, signed steps
//   FE hh ll           delay in ms, 1..65535, high byte first
//   FD nn              start of repeat: 0 = until the macro's button is released, 1..254 cycles
//   FC                 end of repeat; also the filler of the macro block's page boundary
namespace macro {
inline constexpr std::size_t kEventBufferSize = 256; // a macro's events, terminator included
inline constexpr std::size_t kNameSize = 16;         // 8 UTF-16 code units, high byte first
inline constexpr std::size_t kRecordSize = kNameSize + kEventBufferSize; // 272: one library record
inline constexpr std::uint16_t kMaxDelayMs = 65535;
inline constexpr int kMaxCycles = 254;

inline constexpr std::uint8_t kEnd = 0x00, kModifierDown = 0x81, kModifierUp = 0x01, kKeyDown = 0x82,
                              kKeyUp = 0x02, kMove = 0x04, kDelay = 0xFE, kRepeatStart = 0xFD,
                              kRepeatEnd = 0xFC;
} // namespace macro

using MacroName = std::array<std::uint8_t, macro::kNameSize>;
using MacroEventBuffer = std::array<std::uint8_t, macro::kEventBufferSize>;

// Length in bytes (1..3) of the event starting with `first`, or nothing for a byte that starts no
// event.
std::optional<std::size_t> macroEventSize(std::uint8_t first);

// How far a scan of an event stream got.
struct EventScan {
    enum class End {
        Terminator, // a 0x00 ended the stream; `length` counts it
        Unknown,    // a byte that starts no event stands where an event should; it is taken as the end
                    // (`length` counts it as if it were the terminator)
        Missing,    // the bytes ran out first; `length` is the bytes that hold whole events
    };
    std::size_t length = 0;
    End end = End::Terminator;
};
// Scans events from the start of `bytes` (at most macro::kEventBufferSize of them). Always ends.
EventScan scanEvents(std::span<const std::uint8_t> bytes);

// The stream as it is to be stored: the events of `bytes` up to the scan's end, then 0x00. An unknown
// byte or missing terminator gives the events before it.
std::vector<std::uint8_t> terminatedEvents(std::span<const std::uint8_t> bytes);

// Names: the UTF-8 text as up to 8 UTF-16 code units, high byte first, zero padded; longer names are
// cut at 8 units (never inside a surrogate pair). Reading stops at the first zero unit.
MacroName macroNameBytes(std::string_view utf8);
std::string macroNameText(std::span<const std::uint8_t, macro::kNameSize> bytes);
// The number of UTF-16 code units `utf8` needs.
std::size_t utf16Length(std::string_view utf8);

// One row of the macro editor: one event other than the repeat markers and the terminator.
struct MacroRow {
    enum class Kind : std::uint8_t { Delay = 0, Press = 1, Release = 2, Move = 3 };
    Kind kind = Kind::Delay;
    std::uint16_t delayMs = 0; // Delay
    // Press / Release: the event bytes as four hex digits' worth: 0x8204 for "82 04", 0x00A1 for the
    // one-byte mouse-button event A1.
    std::uint16_t code = 0;
    std::int8_t x = 0, y = 0; // Move
    std::string name;         // Press / Release: "A", "Ctrl", "LeftKey" ...

    static MacroRow delay(std::uint16_t ms) { return {Kind::Delay, ms, 0, 0, 0, {}}; }
    static MacroRow move(int dx, int dy) {
        return {Kind::Move, 0, 0, static_cast<std::int8_t>(dx), static_cast<std::int8_t>(dy), {}};
    }
    // A key or modifier event by its bytes (0x81/0x01 + modifier bit, 0x82/0x02 + key byte), named
    // with the key tables.
    static MacroRow keyEvent(std::uint8_t first, std::uint8_t second);
    // A mouse-button event (0xA1..0xB0 pressed, 0x21..0x30 released) with its fixed name.
    static MacroRow mouseButton(std::uint8_t event);

    // The row text: "0 20", "1 A CODE:8204", "2 LeftKey CODE:0021", "3 04FF05".
    std::string text() const;
    // What the row shows after its icon: the name, "20 ms", "X: -1  Y: 5".
    std::string caption() const;
    // Appends the row's event bytes.
    void appendBytes(std::vector<std::uint8_t>& out) const;
    bool isModifier() const {
        return (code >> 8) == macro::kModifierDown || (code >> 8) == macro::kModifierUp;
    }
    bool operator==(const MacroRow&) const = default;
};

// Delay recording of the editor: the delays of the event stream (first four) select it when a macro
// is shown, and the recorder takes it.
enum class DelayMode { Recorded, Fixed, None };
// Repeat option: none, repeat until the macro's button is released, or a number of cycles.
struct RepeatOption {
    enum class Kind { None, UntilReleased, Cycles };
    Kind kind = Kind::None;
    int cycles = 1; // 1..254 with Kind::Cycles
    std::uint8_t count() const { return kind == Kind::Cycles ? static_cast<std::uint8_t>(cycles) : 0; }
    bool operator==(const RepeatOption&) const = default;
};

// A macro's events as editor rows.
struct MacroRows {
    std::vector<MacroRow> rows;
    RepeatOption repeat;                   // from a 0xFD event
    DelayMode delayMode = DelayMode::None; // from the first four delays
    std::uint16_t fixedDelay = 0;          // the delay shown with DelayMode::Fixed
};

// Rows of an event stream (a 0xFC gives no row; 0xFD only sets the repeat option; modifier events with
// an unknown modifier bit give none). The delay mode: the first four delays present all the same and
// not zero → fixed at that value; any other non-zero delay → recorded; otherwise none.
MacroRows buildMacroRows(std::span<const std::uint8_t> events);

// The event stream of rows with the repeat option (FD n … FC around them) and the terminator. Nothing
// when the result would not fit the 256-byte event buffer.
std::optional<std::vector<std::uint8_t>> compileMacroRows(std::span<const MacroRow> rows,
                                                          RepeatOption repeat);

// The repeat option written into an existing stream: the count of an existing FD replaced, or FD n
// put in front and FC before the terminator. Nothing when the stream would no longer fit.
std::optional<std::vector<std::uint8_t>> applyRepeatOption(std::span<const std::uint8_t> events,
                                                           RepeatOption repeat);

// The rows that go with row `index` when it is deleted: a delay or move row alone; a press row with the
// first release row of the same name below it; a release row with the nearest press row of the same
// name above it. Nothing when the partner is missing ("Macro Content Error").
std::optional<std::vector<std::size_t>> rowsDeletedWith(std::span<const MacroRow> rows, std::size_t index);

// Hex text of event bytes as the editor shows it ("8204020400").
std::string macroHex(std::span<const std::uint8_t> bytes);

} // namespace krm
