#pragma once

#include "device/DeviceCommands.h"
#include "device/UiPort.h"
#include "image/ConfigImage.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace krm {

// The whole-image read and the shared write paths of every editor: the write-through step, the
// profile rewrite and the whole-section rewrites. Each exists once, here.
class ImageTransfer {
public:
    struct Hooks {
        std::function<void()> imageReplaced;          // the copies hold a new image: editors reload
        std::function<void()> imageRead;              // a whole image was read from the mouse
        std::function<void()> clearNoDevice;          // the mouse is ready again
        std::function<DefaultInputs()> defaultInputs; // LED type and cb_Package for repairs
    };

    ImageTransfer(DeviceCommands& commands, UiPort& ui, ImageState& state, bool& refreshGuard)
        : commands_(commands), ui_(ui), state_(state), refreshGuard_(refreshGuard) {}

    Hooks hooks;

    // Whole-image read and window refresh. Whatever the read brought (all 0xFF when it failed), the
    // sections are validated, the editors refilled and the pages uncovered; DevTimer takes over.
    // False, with a message shown, when the command was refused or any fetch failed: the window then
    // shows factory values where the read failed, and nothing is written back from that read.
    bool readImage();
    // The whole image read again after a write the mouse did not take, without the window's handling
    // of a first read (the page stays): the copies and every editor take it when it came whole and
    // holds together. False, with the copies as they were, otherwise.
    bool readAgain();
    // The last whole-image read brought every byte (false before the first one).
    bool lastReadComplete() const { return lastReadComplete_; }
    // The section copies hold an image the mouse or a file delivered whole: false after an
    // incomplete read or one whose bytes do not hold together (imageDefect), true again after a good
    // one or a load or restore. No edit is written without it, so a failed read never becomes a write.
    bool copiesTrusted() const { return copiesTrusted_; }
    // A change reached the mouse only in part and it could not be read again: until it is, nothing
    // more is written to it.
    void distrustCopies() { copiesTrusted_ = false; }

    // Unpack a new image into the copies (validating them) and refill the editors, under the refresh
    // guard. Used after a read, a file load and a restore.
    void replaceImage(const ConfigImage& image);

    bool refreshGuard() const { return refreshGuard_; }

    // The write-through step: 1..3 bytes at an image address below 0x100 with one report (a 16-bit
    // field high byte first, a colour as red, green, blue). Nothing is sent while the refresh guard is
    // set; the caller has stored the new value in its section copy. True when a report went out.
    bool writeThrough(std::uint8_t address, std::span<const std::uint8_t> bytes);
    bool writeThrough(std::uint8_t address, std::uint8_t value) { return writeThrough(address, {&value, 1}); }

    // One 4-byte combo-key code with the form-1 write.
    bool writeQuad(std::uint8_t address, std::span<const std::uint8_t, 4> code);

    // What a block write carries besides the bytes its caller set: bytes of the last read (a macro
    // block with the other macros in it), or nothing (a block replaced whole from a file).
    enum class Carries { ReadBytes, Nothing };
    // Bytes the caller has stored in its copy, to image offset `offset` as one block write, read back:
    // true only when the mouse holds every byte sent (a write cut short, or one that another program
    // disturbed, fails here rather than passing for done). A write that carries bytes of an unchecked
    // area (see readBytesHold) sends nothing unless that area reads back as it was read.
    bool blockWrite(std::size_t offset, std::span<const std::uint8_t> bytes,
                    Carries carries = Carries::ReadBytes);

    // The profile rewrite: fresh checksums in the three profile copies, the copies as one 147-byte
    // block at 192 (and, after fire-key changes, the fire-key block at 484; after a gun's fire macros
    // changed, the fire-macro area behind it), the user section read
    // back into its copy, then 0x0F and the real byte written to 0xA4 so the mouse reloads its
    // current profile. It stops at the first step that fails and returns false: a block write that
    // did not go out whole, or a read-back that failed or fails its checksum (the user copy keeps
    // its bytes then, and 0xA4 is not written). Also false while the copies are not trusted. True
    // when every step went through, or when the refresh guard kept it from running.
    bool profileRewrite(bool withFireKeyBlock = false, bool withFireMacroArea = false);

    // Whole-section rewrites with fresh checksums: the vendor section (164 bytes from 0) and the user
    // section (28 bytes from 0xA4). Both leave the busy window up: callers end with a single write
    // (the profile rewrite does). False as for the profile rewrite.
    bool vendorSectionRewrite();
    bool userSectionRewrite();

    // The image areas no checksum or marker vouches for: the fire-key block, the macro block, the
    // patch block and the fire-macro area. Noise a read brought there passes every check of the read,
    // so before the first write that carries such an area's bytes back to the mouse, the area is read
    // again and must come back as the image read gave it (read twice, as `save` does). True when every
    // area that [offset, offset + length) touches holds, or the copies did not come from a read; false,
    // with the copies no longer trusted, when one came back otherwise or could not be read.
    bool readBytesHold(std::size_t offset, std::size_t length);

private:
    struct Area {
        std::size_t offset, length;
    };
    std::array<Area, 4> uncheckedAreas() const;

    DeviceCommands& commands_;
    UiPort& ui_;
    ImageState& state_;
    bool& refreshGuard_;
    bool lastReadComplete_ = false;
    bool copiesTrusted_ = false;
    // The areas of uncheckedAreas() found to hold since the last read; all true when the copies came
    // from a file or a factory image rather than a read.
    std::array<bool, 4> areaHolds_{true, true, true, true};
};

// Shown when a whole-image read did not bring every byte, or brought bytes that cannot be the image.
inline constexpr const char* kIncompleteReadMessage =
    "The mouse's configuration could not be read whole (it refused the read, some of its replies "
    "failed, or what came back does not hold together). Where the read failed the pages show factory "
    "values; nothing is written to the mouse until it has been read whole again (reconnect it).";

} // namespace krm
