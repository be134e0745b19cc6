#include "macros/DeviceMacros.h"

#include <algorithm>

namespace krm {

using namespace device_macros;

namespace {

bool recordPresent(std::uint8_t b0, std::uint8_t b1) {
    return !(b0 == 0 && b1 == 0) && b0 != 0xFF && b1 != 0xFF;
}

// Events whose two or three bytes the mouse must find on one page: they get the filler in front when
// they would start on the last byte of the first half.
bool needsFiller(std::uint8_t first) {
    return first == macro::kModifierUp || first == macro::kKeyUp || first == macro::kModifierDown ||
           first == macro::kKeyDown || first == macro::kDelay;
}

} // namespace

DeviceMacroTable DeviceMacroTable::parse(std::span<const std::uint8_t, kBlockSize> block) {
    DeviceMacroTable table;
    std::size_t pos = 0;
    while (table.slots_.size() < kMaxSlots && pos + macro::kNameSize < kBlockSize) {
        if (!recordPresent(block[pos], block[pos + 1])) break;
        DeviceMacro m;
        std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(pos), macro::kNameSize, m.name.begin());
        const auto events = block.subspan(pos + macro::kNameSize);
        const EventScan scan = scanEvents(events);
        m.events = terminatedEvents(events);
        m.startAddress = static_cast<std::uint16_t>(kFirstStart + pos);
        table.slots_.push_back(std::move(m));
        if (scan.end == EventScan::End::Missing) break;
        pos += macro::kNameSize + scan.length;
    }
    return table;
}

std::optional<MacroBlock> DeviceMacroTable::pack() {
    MacroBlock block{};
    std::vector<DeviceMacro> packed = slots_;
    std::size_t pos = 0;
    for (DeviceMacro& m : packed) {
        if (pos + macro::kNameSize > kBlockSize) return std::nullopt;
        m.startAddress = static_cast<std::uint16_t>(kFirstStart + pos);
        std::copy(m.name.begin(), m.name.end(), block.begin() + static_cast<std::ptrdiff_t>(pos));
        pos += macro::kNameSize;
        std::vector<std::uint8_t> placed;
        for (std::size_t i = 0; i < m.events.size();) {
            const std::size_t size = macroEventSize(m.events[i]).value_or(1);
            if (pos == kHalf - 1 && needsFiller(m.events[i])) {
                if (pos >= kBlockSize) return std::nullopt;
                block[pos++] = macro::kRepeatEnd;
                placed.push_back(macro::kRepeatEnd);
            }
            for (std::size_t k = 0; k < size && i < m.events.size(); ++k, ++i) {
                if (pos >= kBlockSize) return std::nullopt;
                block[pos++] = m.events[i];
                placed.push_back(m.events[i]);
            }
        }
        m.events = std::move(placed);
    }
    slots_ = std::move(packed);
    return block;
}

std::size_t DeviceMacroTable::totalLength() const {
    std::size_t total = 0;
    for (const auto& m : slots_) total += m.recordLength();
    return total;
}

std::optional<std::size_t> DeviceMacroTable::find(const MacroName& name) const {
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].name == name) return i;
    return std::nullopt;
}

std::optional<std::size_t> DeviceMacroTable::slotAt(std::uint16_t address) const {
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].startAddress == address) return i;
    return std::nullopt;
}

void DeviceMacroTable::erase(std::size_t slot) {
    if (slot < slots_.size()) slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(slot));
}

std::array<std::uint8_t, 4> runMacroCode(std::uint16_t startAddress) {
    return {0x10, static_cast<std::uint8_t>(startAddress >> 8),
            static_cast<std::uint8_t>(startAddress & 0xFF), 0x00};
}

} // namespace krm
