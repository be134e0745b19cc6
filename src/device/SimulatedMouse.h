#pragma once

#include "base/SimFault.h"
#include "device/Clock.h"
#include "device/HidBackend.h"
#include "image/ImageLayout.h"

#include <array>
#include <atomic>
#include <bitset>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace krm {

// One HID interface of the simulated machine besides the mouse's own.
struct SimInterface {
    std::string path;
    HidAttributes attributes;
    HidCapabilities capabilities;
    bool openable = true;
};

// The mouse and its firmware, in-process, as a HID stack with the mouse plugged in.
//
// The mouse shows two interfaces: a plain pointer collection and the configuration collection with
// its 8-byte feature reports 0x40/0x41 and the 0x42 button event input report. It stores the
// 2048-byte image and answers the command reports: identify, short and block reads, single writes
// (keeping the section checksums right), block writes through data reports, XDATA read and write,
// and restart, after which it is gone from the enumeration for kRestartAbsenceMs on the clock and
// comes back holding its image. Its USB ids are image bytes 0..3, taken when it (re)appears.
//
// Other interfaces can be plugged and unplugged, each report can be given a latency, and faults can
// be injected. Every member is safe to call from several threads.
class SimulatedMouse final : public HidBackend {
public:
    using Image = std::array<std::uint8_t, kImageSize>;
    static constexpr int kRestartAbsenceMs = 1500;
    static constexpr int kInputReportLength = 8;

    // `number` tells two simulated mice of one machine apart: mouse 1's interfaces are "sim:R210B/...",
    // mouse 2's "sim2:R210B/...", and each sits at "simulated-N".
    SimulatedMouse(Variant variant, Clock& clock, int number = 1);
    SimulatedMouse(Variant variant, Clock& clock, const Image& image, int number = 1);
    ~SimulatedMouse() override;

    // A mouse that starts from the image in `path` when that file exists and writes its image back
    // there (atomically) after every change; a write whose image the file could not take is refused,
    // and the mouse keeps what the file holds (persistError() says why). Returns null and says why in `error`
    // when the file exists but cannot be read or is not 2048 bytes long.
    //
    // The image file stands for the mouse among processes: the one that opens the mouse locks the
    // file (see lock()), takes the image the file holds at that moment, and writes it back under the
    // lock; another process on the same file waits for it or asks it.
    static std::unique_ptr<SimulatedMouse>
    withImageFile(Variant variant, Clock& clock, const std::string& path, std::string& error, int number = 1);

    // The image the mouse starts from: the variant's embedded default image 1 when the program has
    // one, otherwise a generated image with valid checksums and the fire-key marker.
    static Image startImage(Variant variant);
    static Image placeholderImage(Variant variant);

    std::vector<std::string> enumerate() override;
    HidHandle open(const std::string& path, bool readWrite) override;
    void close(HidHandle handle) override;
    bool attributes(HidHandle handle, HidAttributes& out) override;
    bool capabilities(HidHandle handle, HidCapabilities& out) override;
    bool setFeature(HidHandle handle, std::span<const std::uint8_t> report) override;
    // A fetch that fails or is answered short (the short-reply fault) is a failed fetch here, and
    // leaves `report` as it was.
    bool getFeature(HidHandle handle, std::span<std::uint8_t> report) override;
    // The fetch as a device sees it: the number of bytes of the answer written to `report` (its
    // whole size, or 4 under the short-reply fault), or -1 when the fetch fails. For transports that
    // can carry a short answer (krm-uhid-mouse).
    int fetchFeature(HidHandle handle, std::span<std::uint8_t> report);
    int readInput(HidHandle handle, std::span<std::uint8_t> buffer) override;
    void cancelReads() override;
    HidLocation location(const std::string& path) override;
    // With an image file: the file's lock (created with the mouse's image when missing); the mouse
    // then holds what the file holds.
    std::unique_ptr<DeviceLock> lock(const std::string& path, DeviceLock::Outcome& outcome,
                                     std::optional<LockHolder>* holder) override;

    // The machine around the mouse.
    void setAttached(bool attached); // plug or unplug the mouse
    bool present();                  // attached and not away for a restart
    void addInterface(SimInterface interface);
    bool removeInterface(const std::string& path);
    // An unrelated device (vendor 0x1209, product 0x0100 + n, no feature reports), path "sim:other/n".
    static SimInterface unrelatedInterface(int n);
    std::string configPath() const;
    std::string pointerPath() const;
    // Where every interface of the mouse sits: "simulated-N".
    std::string deviceId() const { return "simulated-" + std::to_string(number_); }
    // The image file, as an absolute path; empty when the mouse keeps its image in memory only.
    const std::string& imageFile() const { return imageFile_; }

    // Behaviour and faults.
    void setReportLatencyUs(int us);
    void setChipCode(std::uint8_t code);
    void setCommandRefused(std::uint8_t code, bool refused);
    void setAllCommandsRefused(bool refused);
    void setFetchesFail(bool fail);
    void setGarbageReplies(bool garbage);
    // Every fetch is answered with its first 4 bytes only (report id and 3 data bytes); the reply
    // it carried is used up all the same.
    void setShortReplies(bool shortReplies);
    static constexpr int kShortReplyLength = 4;
    // The mouse disappears (as if unplugged) after this many more feature reports; negative: never.
    void vanishAfterReports(int reports);
    // A fault from --sim-fault: it takes effect once fault.after more feature reports have passed
    // (counted from the mouse's creation when given before any report).
    void addFault(const SimFault& fault);
    // The button events of the "events" fault, in order, and the time between two of them.
    static constexpr std::uint8_t kFaultEvents[] = {0x01, 0x00, 0x08, 0x00};
    static constexpr int kFaultEventSpacingMs = 400;

    // Button events: queues an input report 0x42 with the event code in byte 3. A press changes what
    // the mouse holds as its own buttons do: CPI (0x01) steps to the next level that is on, round to
    // level 1, CPI+ (0x02) and CPI- (0x04) one level up or down, stopping at the ends, and the profile
    // button (0x08) to the next profile, round to profile 1.
    static constexpr std::uint8_t kEventCpi = 0x01, kEventCpiUp = 0x02, kEventCpiDown = 0x04,
                                  kEventProfile = 0x08;
    void raiseButtonEvent(std::uint8_t code);
    void queueInputReport(std::vector<std::uint8_t> report);
    // The oldest input report waiting, if any, taken out of the queue without blocking (raising the
    // events that are due first). For transports that carry the reports elsewhere (krm-uhid-mouse).
    std::optional<std::vector<std::uint8_t>> takeInputReport();

    Image image() const;
    void setImage(const Image& image);
    std::uint8_t xdata(std::uint16_t address) const;
    int restarts() const;
    Variant variant() const { return variant_; }
    // The first failure to write the image file since the mouse was made, empty when none.
    std::string persistError() const;

private:
    enum class Target { Pointer, Config, Other };
    struct Handle {
        Target target;
        std::string path;
        bool readWrite;
        std::uint64_t session;
    };
    using Reply = std::array<std::uint8_t, 7>;

    void refreshPresenceLocked();
    bool presentLocked() const;
    void leaveLocked();
    void appearLocked();
    const Handle* validLocked(HidHandle handle);
    bool countReportLocked();
    void armFaultsLocked();
    void applyFaultLocked(const SimFault& fault);
    void raiseDueEventsLocked();
    void raiseButtonEventLocked(std::uint8_t code);
    void pressLocked(std::uint8_t code);
    bool commandLocked(std::span<const std::uint8_t> report);
    // A write the image file could not keep is refused: false, and the image is as before it.
    bool dataReportLocked(std::span<const std::uint8_t> report);
    Reply nextReplyLocked();
    bool writeImageLocked(std::size_t address, std::span<const std::uint8_t> bytes);
    void endTransferLocked();
    bool persistLocked();
    bool keptLocked(const Image& before);
    std::string prefix() const;

    Clock& clock_;
    const Variant variant_;
    const int number_;
    mutable std::mutex mutex_;
    std::condition_variable inputCv_;

    Image image_{};
    std::vector<std::uint8_t> xdata_ = std::vector<std::uint8_t>(0x10000, 0);
    std::string imageFile_;
    DeviceLock* imageLock_ = nullptr; // while this process holds the image file's lock
    bool dirty_ = false;
    std::string persistError_;
    Image blockBefore_{}; // the image before the block write under way

    bool attached_ = true;
    bool restarting_ = false;
    std::uint64_t returnAtMs_ = 0;
    std::uint64_t session_ = 1;
    int restarts_ = 0;
    HidAttributes ids_;

    std::vector<SimInterface> others_;
    std::map<HidHandle, Handle> handles_;
    HidHandle nextHandle_ = 1;
    bool cancelled_ = false;
    std::deque<std::vector<std::uint8_t>> inputQueue_;

    // What the next fetches return.
    std::optional<Reply> singleReply_;
    std::size_t readAddress_ = 0, readRemaining_ = 0;
    std::size_t writeAddress_ = 0, writeRemaining_ = 0;

    std::atomic<int> latencyUs_{0};
    std::uint8_t chipCode_;
    std::bitset<256> refused_;
    bool allRefused_ = false;
    bool fetchesFail_ = false;
    bool garbage_ = false;
    bool shortReplies_ = false;
    int vanishAfter_ = -1;
    std::uint64_t reportsSeen_ = 0;       // feature reports counted since the mouse was made
    std::vector<SimFault> pendingFaults_; // faults waiting for their report count
    struct DueEvent {
        std::uint64_t atMs;
        std::uint8_t code;
    };
    std::deque<DueEvent> dueEvents_; // button events of the "events" fault still to come
    std::uint32_t noise_ = 0x9E3779B9u;
};

} // namespace krm
