#pragma once

#include "macros/MacroEvents.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace krm {

// The macros stored on the mouse: the 512-byte macro block of the image (offsets 496..1007) holds up
// to 15 records back to back, each a 16-byte name and its event stream with the terminator. The mouse
// runs a macro by the image offset of its first event byte (the start address, 512 for the first
// record), so every repack moves the codes that point into it.
namespace device_macros {
inline constexpr std::size_t kBlockSize = 512;
inline constexpr std::size_t kHalf = 256; // the block goes to the mouse in two halves
inline constexpr std::size_t kMaxSlots = 15;
inline constexpr std::uint16_t kFirstStart = 512; // image offset of the first record's events
} // namespace device_macros

using MacroBlock = std::array<std::uint8_t, device_macros::kBlockSize>;

struct DeviceMacro {
    MacroName name{};
    // The record's events as stored, terminator included; a page filler (0xFC at block offset 255)
    // that a read brought stays in them.
    std::vector<std::uint8_t> events{macro::kEnd};
    std::uint16_t startAddress = device_macros::kFirstStart;

    std::size_t recordLength() const { return macro::kNameSize + events.size(); }
};

// The device macro table: slots 0.. without gaps, in block order.
class DeviceMacroTable {
public:
    // Reads the block. A record is present where its first two bytes are neither both 0x00 nor either
    // 0xFF; the first absent record ends the table. A byte that starts no event ends that macro's
    // events (it is taken as its terminator); a macro whose events run past the block or past 256
    // bytes is kept with what it holds whole and ends the table. Never reads past the block.
    static DeviceMacroTable parse(std::span<const std::uint8_t, device_macros::kBlockSize> block);

    // The block for the slots: records back to back, the rest 0x00. When an event that starts with
    // 0x01, 0x02, 0x81, 0x82 or 0xFE would begin at block offset 255, a 0xFC filler goes there and
    // the event starts at 256 (the record grows by one). Sets every slot's start address and, for
    // fillers, its events. Nothing (and no slot changed) when the records do not fit the block.
    std::optional<MacroBlock> pack();

    const std::vector<DeviceMacro>& entries() const { return slots_; }
    std::size_t size() const { return slots_.size(); }
    // Sum of the record lengths.
    std::size_t totalLength() const;
    // The slot whose name bytes equal `name`, if any.
    std::optional<std::size_t> find(const MacroName& name) const;
    // The slot whose events start at image offset `address`, if any.
    std::optional<std::size_t> slotAt(std::uint16_t address) const;

    void append(DeviceMacro macro) { slots_.push_back(std::move(macro)); }
    void erase(std::size_t slot);

private:
    std::vector<DeviceMacro> slots_;
};

// The run-macro function code of a start address: 10 hh ll 00.
std::array<std::uint8_t, 4> runMacroCode(std::uint16_t startAddress);

} // namespace krm
