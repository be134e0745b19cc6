#include "macros/MacroEditor.h"

#include "image/FunctionCode.h"
#include "image/ImageLayout.h"
#include "image/SectionDefaults.h"

#include <algorithm>

namespace krm {

MacroEditor::MacroEditor(EditorState& state, const TextSource& texts, std::function<bool()> refreshGuard,
                         std::function<const SectionCopies&()> copies)
    : state_(state), texts_(&texts), refreshGuard_(std::move(refreshGuard)), copies_(std::move(copies)) {}

void MacroEditor::loadFromCopies(const SectionCopies& copies) {
    table_ = DeviceMacroTable::parse(copies.macroBlock);
    if (auto packed = table_.pack()) {
        block_ = *packed;
    } else {
        // A block that needs a filler it has no room for: keep it as read.
        std::copy(copies.macroBlock.begin(), copies.macroBlock.end(), block_.begin());
    }
    publish();
}

void MacroEditor::deviceLost() {
    table_ = {};
    block_.fill(0);
    publish();
}

void MacroEditor::publish() {
    for (std::size_t i = 0; i < state_.deviceMacros.size(); ++i) {
        DeviceMacroSlot& slot = state_.deviceMacros[i];
        if (i < table_.size()) {
            slot = {true, table_.entries()[i].startAddress, macroNameText(table_.entries()[i].name)};
        } else {
            slot = {};
        }
    }
}

LibraryResult MacroEditor::openLibrary(const std::string& path) {
    LibraryResult r = library_.open(path);
    libraryProblem_ = r.message;
    return r;
}

std::string MacroEditor::deviceMacroName(std::size_t slot) const {
    return slot < table_.size() ? macroNameText(table_.entries()[slot].name) : std::string();
}

EditOutcome MacroEditor::addToMouse(std::size_t index) {
    if (index >= library_.size()) return {};
    return addToMouse(library_.at(index));
}

EditOutcome MacroEditor::addToMouse(const MacroRecord& record) {
    if (table_.find(record.name)) return EditOutcome::refusal(texts_->text("Str106"));
    if (table_.size() >= device_macros::kMaxSlots) {
        EditOutcome out;
        out.refused = true;
        return out;
    }
    const DeviceMacroTable before = table_;
    DeviceMacro m;
    m.name = record.name;
    m.events = terminatedEvents(record.events);
    table_.append(std::move(m));
    if (table_.totalLength() > device_macros::kBlockSize || !table_.pack()) {
        table_ = before;
        return EditOutcome::refusal(texts_->text("Str103"));
    }
    return commit(
        before, [](std::size_t i) { return std::optional<std::size_t>(i); }, ProfileWrite::Block);
}

EditOutcome MacroEditor::deleteDeviceMacro(std::size_t slot) {
    if (slot >= table_.size()) return {};
    const DeviceMacroTable before = table_;
    table_.erase(slot);
    if (!table_.pack()) { // fewer bytes never stop fitting; kept for a block read as it was
        table_ = before;
        return {};
    }
    const auto newSlot = [slot](std::size_t i) -> std::optional<std::size_t> {
        if (i == slot) return std::nullopt;
        return i < slot ? i : i - 1;
    };
    return commit(before, newSlot, ProfileWrite::Rewrite);
}

EditOutcome MacroEditor::replaceMacros(const std::vector<MacroRecord>& records, std::size_t kept) {
    if (records.size() > device_macros::kMaxSlots) {
        EditOutcome out;
        out.refused = true;
        return out;
    }
    const DeviceMacroTable before = table_;
    kept = std::min({kept, records.size(), table_.size()});
    while (table_.size() > kept) table_.erase(table_.size() - 1);
    for (std::size_t i = kept; i < records.size(); ++i) {
        DeviceMacro m;
        m.name = records[i].name;
        m.events = terminatedEvents(records[i].events);
        table_.append(std::move(m));
    }
    if (table_.totalLength() > device_macros::kBlockSize || !table_.pack()) {
        table_ = before;
        return EditOutcome::refusal(texts_->text("Str103"));
    }
    const auto newSlot = [&](std::size_t i) -> std::optional<std::size_t> {
        if (i < kept) return i;
        for (std::size_t j = kept; j < table_.size(); ++j)
            if (table_.entries()[j].name == before.entries()[i].name) return j;
        return std::nullopt;
    };
    return commit(before, newSlot, ProfileWrite::Block);
}

EditOutcome MacroEditor::commit(const DeviceMacroTable& before, const SlotMap& newSlotOf,
                                ProfileWrite profileWrite) {
    block_ = *table_.pack();
    publish();

    // Buttons of every profile that ran a macro of the old table run the same macro at its new
    // address, or nothing when it is gone.
    const SectionCopies& copies = copies_();
    auto profiles = copies.profiles;
    bool moved = false;
    for (int p = 1; p <= codes::kProfileCount; ++p) {
        auto& section = profiles[static_cast<std::size_t>(p - 1)];
        for (int k = 1; k <= codes::kButtonsPerProfile; ++k) {
            const std::size_t at = codes::buttonOffset(p, k) - image::profileOffset(p);
            if (section[at] != 0x10) continue;
            const auto address = static_cast<std::uint16_t>(section[at + 1] << 8 | section[at + 2]);
            const auto oldSlot = before.slotAt(address);
            if (!oldSlot) continue;
            const auto newSlot = newSlotOf(*oldSlot);
            std::array<std::uint8_t, 4> code{};
            if (newSlot && *newSlot < table_.size())
                code = runMacroCode(table_.entries()[*newSlot].startAddress);
            if (std::equal(code.begin(), code.end(), section.begin() + static_cast<std::ptrdiff_t>(at)))
                continue;
            std::copy(code.begin(), code.end(), section.begin() + static_cast<std::ptrdiff_t>(at));
            moved = true;
        }
    }

    EditOutcome out;
    out.followup = Followup::ReloadEditors;
    std::array<std::uint8_t, image::kProfilesLength> tables{};
    for (int p = 1; p <= codes::kProfileCount; ++p) {
        auto& section = profiles[static_cast<std::size_t>(p - 1)];
        if (profileWrite == ProfileWrite::Block) storeSectionChecksum(section);
        if (moved || profileWrite == ProfileWrite::Block)
            out.requests.push_back(EditRequest::store(image::profileOffset(p), section));
        std::copy(section.begin(), section.end(),
                  tables.begin() + static_cast<std::ptrdiff_t>(image::kProfileLength * (p - 1)));
    }
    const std::span<const std::uint8_t> block(block_);
    if (guarded()) {
        out.requests.push_back(EditRequest::store(image::kMacroOffset, block));
        return out;
    }
    if (profileWrite == ProfileWrite::Block)
        out.requests.push_back(EditRequest::blockWrite(image::kProfileOffset, tables));
    else
        out.requests.push_back(EditRequest::profileRewrite());
    out.requests.push_back(EditRequest::blockWrite(image::kMacroOffset, block.first(device_macros::kHalf)));
    out.requests.push_back(EditRequest::blockWrite(image::kMacroOffset + device_macros::kHalf,
                                                   block.last(device_macros::kHalf)));
    return out;
}

} // namespace krm
