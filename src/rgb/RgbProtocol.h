#pragma once

#include "image/ImageFields.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The wire format of the RGB-sync programs' SDK protocol (versions 0 to 5): a 16-byte header, the magic
// "ORGB", then the controller index, the packet id and the payload's size, all little-endian. Everything
// here works on byte buffers and reads nothing past their end.
namespace krm::rgb {

inline constexpr std::uint16_t kDefaultPort = 6742;
// The newest version of the released clients; 6 is still being written and is never offered.
inline constexpr std::uint32_t kNewestVersion = 5;
inline constexpr std::size_t kHeaderSize = 16;
// No packet a client sends us is larger: a mode with ten colours is about 120 bytes. A larger size is a
// client that lost its way (or means harm), and its connection is dropped.
inline constexpr std::uint32_t kMaxPayload = 4096;

enum class PacketId : std::uint32_t {
    ControllerCount = 0,
    ControllerData = 1,
    ProtocolVersion = 40,
    ClientName = 50,
    DeviceListChanged = 100,
    Rescan = 140,
    ProfileList = 150,
    SaveProfile = 151,
    LoadProfile = 152,
    DeleteProfile = 153,
    PluginList = 200,
    PluginMessage = 201,
    ResizeZone = 1000,
    ClearSegments = 1001,
    AddSegment = 1002,
    UpdateLeds = 1050,
    UpdateZoneLeds = 1051,
    UpdateSingleLed = 1052,
    SetCustomMode = 1100,
    UpdateMode = 1101,
    SaveMode = 1102,
};
// Whether `id` is a packet of versions 0 to 5 (anything else is a client that does not speak them).
bool knownPacket(std::uint32_t id);
// Whether the packet is about one controller, named by the header's device field.
bool addressesController(PacketId id);

struct Header {
    std::uint32_t device = 0;
    std::uint32_t id = 0;
    std::uint32_t size = 0;
};

// The first packet of a received byte stream.
struct ReadResult {
    enum class Kind {
        Incomplete, // not all of it has arrived yet
        Packet,     // `header` and `payload`, `consumed` bytes in all
        BadMagic,   // the stream does not start with "ORGB"
        TooLarge,   // the header announces a payload above kMaxPayload
    };
    Kind kind = Kind::Incomplete;
    Header header;
    std::span<const std::uint8_t> payload;
    std::size_t consumed = 0;
};
ReadResult readPacket(std::span<const std::uint8_t> stream);

// A whole packet: header and payload.
std::vector<std::uint8_t> packet(PacketId id, std::uint32_t device,
                                 std::span<const std::uint8_t> payload = {});

// --- what a controller looks like (the reply to ControllerData) ---

enum ModeFlag : std::uint32_t {
    kHasSpeed = 0x001,
    kHasBrightness = 0x010,
    kPerLedColour = 0x020,
    kModeColours = 0x040,
    kSavesItself = 0x200, // every change is stored by the device at once
};
enum class ColourMode : std::uint32_t { None = 0, PerLed = 1, ModeSpecific = 2, Random = 3 };
inline constexpr std::int32_t kDeviceTypeMouse = 6;
inline constexpr std::int32_t kZoneSingle = 0, kZoneLinear = 1;

struct ModeInfo {
    std::string name;
    std::int32_t value = 0; // the device's own number for the mode
    std::uint32_t flags = 0;
    std::uint32_t speedMin = 0, speedMax = 0;
    std::uint32_t brightnessMin = 0, brightnessMax = 0; // sent from version 3 on
    std::uint32_t coloursMin = 0, coloursMax = 0;
    std::uint32_t speed = 0, brightness = 0;
    std::uint32_t direction = 0;
    ColourMode colourMode = ColourMode::None;
    std::vector<Rgb> colours; // the mode's own colours (none unless kModeColours)
    bool operator==(const ModeInfo&) const = default;
};

struct ZoneInfo {
    std::string name;
    std::int32_t type = kZoneLinear;
    std::uint32_t leds = 0; // fixed: min, max and count alike
};

struct LedInfo {
    std::string name;
    std::uint32_t value = 0;
};

struct ControllerInfo {
    std::int32_t type = kDeviceTypeMouse;
    std::string name, vendor, description, version, serial, location;
    std::vector<ModeInfo> modes;
    std::int32_t activeMode = 0;
    std::vector<ZoneInfo> zones;
    std::vector<LedInfo> leds;
    std::vector<Rgb> colours; // one per LED
};

// The ControllerData payload for a client of `version` (fields of later versions left out).
std::vector<std::uint8_t> controllerData(const ControllerInfo& controller, std::uint32_t version);

// --- what clients send ---

// A u32 payload (the version a client speaks or asks the controller data in); nothing unless the payload
// is exactly four bytes.
std::optional<std::uint32_t> readU32(std::span<const std::uint8_t> payload);

// UpdateLeds: the device's LEDs from the first; UpdateZoneLeds: one zone's.
struct LedColours {
    std::uint32_t zone = 0;
    std::vector<Rgb> colours;
};
std::optional<LedColours> readUpdateLeds(std::span<const std::uint8_t> payload);
std::optional<LedColours> readUpdateZoneLeds(std::span<const std::uint8_t> payload);
// UpdateLeds as a client writes it.
std::vector<std::uint8_t> updateLedsPayload(const std::vector<Rgb>& colours);

struct SingleLed {
    std::uint32_t led = 0;
    Rgb colour;
};
std::optional<SingleLed> readUpdateSingleLed(std::span<const std::uint8_t> payload);

// UpdateMode and SaveMode: the mode's index and the mode as the client wants it, laid out for the
// version agreed on the connection.
struct ModeChange {
    std::uint32_t index = 0;
    ModeInfo mode;
    bool operator==(const ModeChange&) const = default;
};
std::optional<ModeChange> readModeChange(std::span<const std::uint8_t> payload, std::uint32_t version);
// The same payload as a client writes it.
std::vector<std::uint8_t> modeChangePayload(const ModeChange& change, std::uint32_t version);

struct ZoneResize {
    std::int32_t zone = 0;
    std::int32_t leds = 0;
};
std::optional<ZoneResize> readResizeZone(std::span<const std::uint8_t> payload);

// The profile and plugin lists: empty (a size, then a count of 0).
std::vector<std::uint8_t> emptyList();

} // namespace krm::rgb
