#include "device/SimulatedMouse.h"

#include "base/ResourceTable.h"
#include "image/ImageFields.h"
#include "image/ImageFiles.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace krm {

namespace {

constexpr std::uint8_t kCommandReport = 0x40;
constexpr std::uint8_t kQueryReport = 0x41;
constexpr std::uint8_t kEventReport = 0x42;
constexpr std::size_t kReportSize = 8;

constexpr std::uint16_t kVersion = 0x0100;
constexpr int kPointerInputLength = 5;

// The sections whose last byte is a checksum over the others.
struct Section {
    std::size_t offset, length;
};
constexpr Section kChecksummed[] = {
    {image::kVendorOffset, image::kVendorLength},     {image::kUserOffset, image::kUserLength},
    {image::profileOffset(1), image::kProfileLength}, {image::profileOffset(2), image::kProfileLength},
    {image::profileOffset(3), image::kProfileLength},
};

void fixChecksum(SimulatedMouse::Image& img, std::size_t offset, std::size_t length) {
    img[offset + length - 1] = sectionChecksum(std::span<const std::uint8_t>(img.data() + offset, length));
}

} // namespace

std::string SimulatedMouse::prefix() const {
    return (number_ == 1 ? std::string("sim") : "sim" + std::to_string(number_)) + ":" +
           std::string(variantName(variant_));
}

SimulatedMouse::Image SimulatedMouse::placeholderImage(Variant variant) {
    Image img{};
    img[0] = 0x3A, img[1] = 0x7E, img[2] = 0x0C, img[3] = 0x51;
    img[4] = 0x37; // 1000 Hz, the three untouched low bits set
    img[43] = 3;   // four DPI levels
    img[44] = 0x10, img[45] = 0x32;
    const char product[] = "HID Gaming Mouse";
    std::copy(product, product + 16, img.begin() + 111);
    std::fill(img.begin() + image::kReservedOffset, img.begin() + image::kFireKeyOffset, 0xFF);
    img[image::kMarkerOffset] = image::kMarker;
    std::fill(img.begin() + image::kMacroOffset, img.end(), 0xFF);
    const std::array<std::uint8_t, 16> patch210 = {0x04, 0x00, 0x02, 0xE0, 0x00, 0x1A, 0x5F, 0x63,
                                                   0x01, 0x83, 0x00, 0x00, 0x00, 0x00, 0x00, 0xDE};
    const std::array<std::uint8_t, 8> patch230 = {0x04, 0x00, 0x02, 0x00, 0x00, 0x1A, 0x07, 0xA2};
    if (variant == Variant::R210B)
        std::copy(patch210.begin(), patch210.end(), img.begin() + image::kPatchBlockOffset);
    else
        std::copy(patch230.begin(), patch230.end(), img.begin() + image::kPatchBlockOffset);
    for (const auto& s : kChecksummed) fixChecksum(img, s.offset, s.length);
    return img;
}

SimulatedMouse::Image SimulatedMouse::startImage(Variant variant) {
    const auto embedded =
        ResourceTable::find(variant == Variant::R210B ? "KRMR210BData_Cfg1" : "KRMR230BData_Cfg1");
    if (embedded && embedded->size() == kImageSize) {
        Image img{};
        std::copy(embedded->begin(), embedded->end(), img.begin());
        return img;
    }
    return placeholderImage(variant);
}

SimulatedMouse::SimulatedMouse(Variant variant, Clock& clock, int number)
    : SimulatedMouse(variant, clock, startImage(variant), number) {}

SimulatedMouse::SimulatedMouse(Variant variant, Clock& clock, const Image& image, int number)
    : clock_(clock), variant_(variant), number_(number), image_(image),
      chipCode_(variant == Variant::R210B ? 0x45 : 0x30) {
    appearLocked();
}

SimulatedMouse::~SimulatedMouse() {
    std::lock_guard lock(mutex_);
    if (dirty_) persistLocked();
    if (imageLock_) imageLock_->onRelease = nullptr;
}

std::unique_ptr<SimulatedMouse> SimulatedMouse::withImageFile(Variant variant, Clock& clock,
                                                              const std::string& path, std::string& error,
                                                              int number) {
    Image img = startImage(variant);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        // One byte more than an image, so that a longer file shows as such; readFilePrefix refuses
        // folders, devices, pipes and huge files without reading them.
        auto bytes = readFilePrefix(path, kImageSize + 1);
        if (!bytes) {
            error = path + ": " + bytes.error.message;
            return nullptr;
        }
        if (bytes.value->size() != kImageSize) {
            error = path + ": a simulated mouse image is " + std::to_string(kImageSize) +
                    " bytes, this file has " +
                    (bytes.value->size() > kImageSize ? "more" : std::to_string(bytes.value->size()));
            return nullptr;
        }
        std::copy(bytes.value->begin(), bytes.value->end(), img.begin());
    } else if (errno != ENOENT) {
        error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    // Every change is written back by replacing the file, which needs its folder: a mouse that could
    // not keep what it is sent would lose it at the next run.
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const std::string folderText = folder.empty() ? "." : folder.string();
    if (::access(folderText.c_str(), W_OK | X_OK) != 0) {
        error = path + ": the simulated mouse cannot keep its image there (folder \"" + folderText +
                "\": " + std::strerror(errno) + ")";
        return nullptr;
    }
    auto mouse = std::make_unique<SimulatedMouse>(variant, clock, img, number);
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    mouse->imageFile_ = ec ? path : absolute.lexically_normal().string();
    return mouse;
}

// --- presence -------------------------------------------------------------------------------------

void SimulatedMouse::refreshPresenceLocked() {
    if (restarting_ && clock_.tickMs() >= returnAtMs_) {
        restarting_ = false;
        if (attached_) appearLocked();
    }
}

bool SimulatedMouse::presentLocked() const {
    return attached_ && !restarting_;
}

void SimulatedMouse::appearLocked() {
    ++session_;
    ids_ = {static_cast<std::uint16_t>(image_[0] << 8 | image_[1]),
            static_cast<std::uint16_t>(image_[2] << 8 | image_[3]), kVersion};
}

void SimulatedMouse::leaveLocked() {
    endTransferLocked();
    ++session_; // every handle on the mouse is dead from now on
    inputQueue_.clear();
    singleReply_.reset();
    readRemaining_ = 0;
    inputCv_.notify_all();
}

void SimulatedMouse::setAttached(bool attached) {
    std::lock_guard lock(mutex_);
    refreshPresenceLocked();
    if (attached == attached_) return;
    attached_ = attached;
    if (!attached)
        leaveLocked();
    else if (!restarting_)
        appearLocked();
}

bool SimulatedMouse::present() {
    std::lock_guard lock(mutex_);
    refreshPresenceLocked();
    return presentLocked();
}

void SimulatedMouse::addInterface(SimInterface interface) {
    std::lock_guard lock(mutex_);
    others_.push_back(std::move(interface));
}

bool SimulatedMouse::removeInterface(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it =
        std::find_if(others_.begin(), others_.end(), [&](const SimInterface& i) { return i.path == path; });
    if (it == others_.end()) return false;
    others_.erase(it);
    for (auto h = handles_.begin(); h != handles_.end();) {
        if (h->second.target == Target::Other && h->second.path == path)
            h = handles_.erase(h);
        else
            ++h;
    }
    return true;
}

SimInterface SimulatedMouse::unrelatedInterface(int n) {
    return {"sim:other/" + std::to_string(n),
            {0x1209, static_cast<std::uint16_t>(0x0100 + n), 0x0001},
            {4, 0},
            true};
}

std::string SimulatedMouse::configPath() const {
    return prefix() + "/config";
}

std::string SimulatedMouse::pointerPath() const {
    return prefix() + "/pointer";
}

HidLocation SimulatedMouse::location(const std::string& path) {
    if (path != configPath() && path != pointerPath()) return {path, "", ""};
    return {deviceId(), "", imageFile_};
}

std::unique_ptr<DeviceLock> SimulatedMouse::lock(const std::string& path, DeviceLock::Outcome& outcome,
                                                 std::optional<LockHolder>* holder) {
    if (holder) holder->reset();
    if (imageFile_.empty() || location(path).node.empty()) {
        outcome = DeviceLock::Outcome::Taken;
        return nullptr;
    }
    // A file that is not there yet is made from the mouse's image, whole, unless another process
    // made it first.
    Image start = image();
    if (auto error = createFileAtomically(imageFile_, start)) {
        std::lock_guard guard(mutex_);
        persistError_ = error->message;
    }
    auto taken = DeviceLock::tryTake(imageFile_, outcome, holder);
    if (!taken) return nullptr;
    std::lock_guard guard(mutex_);
    // What another process wrote while it had the mouse is the mouse's now.
    if (auto bytes = readFilePrefix(imageFile_, kImageSize + 1); bytes && bytes.value->size() == kImageSize)
        std::copy(bytes.value->begin(), bytes.value->end(), image_.begin());
    imageLock_ = taken.get();
    taken->onRelease = [this] {
        std::lock_guard released(mutex_);
        imageLock_ = nullptr;
    };
    return taken;
}

// --- the HID stack ----------------------------------------------------------------------------------

std::vector<std::string> SimulatedMouse::enumerate() {
    std::lock_guard lock(mutex_);
    refreshPresenceLocked();
    std::vector<std::string> paths;
    for (const auto& o : others_) paths.push_back(o.path);
    if (presentLocked()) {
        paths.push_back(pointerPath());
        paths.push_back(configPath());
    }
    return paths;
}

HidHandle SimulatedMouse::open(const std::string& path, bool readWrite) {
    std::lock_guard lock(mutex_);
    refreshPresenceLocked();
    Target target;
    if (path == configPath())
        target = Target::Config;
    else if (path == pointerPath())
        target = Target::Pointer;
    else
        target = Target::Other;

    if (target == Target::Other) {
        auto it = std::find_if(others_.begin(), others_.end(),
                               [&](const SimInterface& i) { return i.path == path; });
        if (it == others_.end() || !it->openable) return kInvalidHandle;
    } else if (!presentLocked()) {
        return kInvalidHandle;
    }
    // The image file holds the mouse's image from the first time a program opens the mouse (as the
    // kernel's device of krm-uhid-mouse makes it).
    if (target != Target::Other && !imageFile_.empty())
        if (auto error = createFileAtomically(imageFile_, image_)) persistError_ = error->message;
    const HidHandle h = nextHandle_++;
    handles_[h] = {target, path, readWrite, session_};
    return h;
}

void SimulatedMouse::close(HidHandle handle) {
    std::lock_guard lock(mutex_);
    if (handles_.erase(handle)) inputCv_.notify_all();
}

const SimulatedMouse::Handle* SimulatedMouse::validLocked(HidHandle handle) {
    refreshPresenceLocked();
    auto it = handles_.find(handle);
    if (it == handles_.end()) return nullptr;
    if (it->second.target != Target::Other && (!presentLocked() || it->second.session != session_))
        return nullptr;
    return &it->second;
}

bool SimulatedMouse::attributes(HidHandle handle, HidAttributes& out) {
    std::lock_guard lock(mutex_);
    const Handle* h = validLocked(handle);
    if (!h) return false;
    if (h->target == Target::Other) {
        auto it = std::find_if(others_.begin(), others_.end(),
                               [&](const SimInterface& i) { return i.path == h->path; });
        out = it->attributes;
    } else {
        out = ids_;
    }
    return true;
}

bool SimulatedMouse::capabilities(HidHandle handle, HidCapabilities& out) {
    std::lock_guard lock(mutex_);
    const Handle* h = validLocked(handle);
    if (!h) return false;
    switch (h->target) {
    case Target::Pointer:
        out = {kPointerInputLength, 0};
        break;
    case Target::Config:
        out = {kInputReportLength, static_cast<int>(kReportSize)};
        break;
    case Target::Other: {
        auto it = std::find_if(others_.begin(), others_.end(),
                               [&](const SimInterface& i) { return i.path == h->path; });
        out = it->capabilities;
        break;
    }
    }
    return true;
}

bool SimulatedMouse::countReportLocked() {
    armFaultsLocked();
    ++reportsSeen_;
    raiseDueEventsLocked();
    if (vanishAfter_ < 0) return true;
    if (vanishAfter_ == 0) {
        vanishAfter_ = -1;
        attached_ = false;
        leaveLocked();
        return false;
    }
    --vanishAfter_;
    return true;
}

bool SimulatedMouse::setFeature(HidHandle handle, std::span<const std::uint8_t> report) {
    if (const int us = latencyUs_.load(); us > 0) clock_.waitMicroseconds(us);
    std::lock_guard lock(mutex_);
    const Handle* h = validLocked(handle);
    if (!h || h->target != Target::Config || report.size() != kReportSize) return false;
    if (!countReportLocked()) return false;
    if (report[0] == kCommandReport) return commandLocked(report);
    if (report[0] == kQueryReport) return dataReportLocked(report);
    return false;
}

bool SimulatedMouse::getFeature(HidHandle handle, std::span<std::uint8_t> report) {
    std::vector<std::uint8_t> copy(report.begin(), report.end());
    if (fetchFeature(handle, copy) != static_cast<int>(report.size())) return false;
    std::copy(copy.begin(), copy.end(), report.begin());
    return true;
}

int SimulatedMouse::fetchFeature(HidHandle handle, std::span<std::uint8_t> report) {
    if (const int us = latencyUs_.load(); us > 0) clock_.waitMicroseconds(us);
    std::lock_guard lock(mutex_);
    const Handle* h = validLocked(handle);
    if (!h || h->target != Target::Config || report.size() != kReportSize || report[0] != kQueryReport)
        return -1;
    if (!countReportLocked()) return -1;
    if (fetchesFail_) return -1;
    const Reply reply = nextReplyLocked();
    const std::size_t length = shortReplies_ ? kShortReplyLength : kReportSize;
    std::copy_n(reply.begin(), length - 1, report.begin() + 1);
    return static_cast<int>(length);
}

int SimulatedMouse::readInput(HidHandle handle, std::span<std::uint8_t> buffer) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (cancelled_) return -1;
        const Handle* h = validLocked(handle);
        if (!h || h->target != Target::Config || !h->readWrite) return -1;
        raiseDueEventsLocked();
        if (!inputQueue_.empty()) {
            const auto report = std::move(inputQueue_.front());
            inputQueue_.pop_front();
            const std::size_t n = std::min(report.size(), buffer.size());
            std::copy_n(report.begin(), n, buffer.begin());
            return static_cast<int>(n);
        }
        if (dueEvents_.empty())
            inputCv_.wait(lock);
        else
            inputCv_.wait_for(lock, std::chrono::milliseconds(10)); // the next event falls due
    }
}

void SimulatedMouse::cancelReads() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    inputCv_.notify_all();
}

// --- the firmware -----------------------------------------------------------------------------------

bool SimulatedMouse::commandLocked(std::span<const std::uint8_t> r) {
    const std::uint8_t code = r[1];
    if (allRefused_ || refused_[code]) return false;
    endTransferLocked();
    singleReply_.reset();
    readRemaining_ = 0;
    const std::size_t address16 = static_cast<std::size_t>(r[2] << 8 | r[3]);
    const std::size_t length16 = static_cast<std::size_t>(r[4] << 8 | r[5]);
    switch (code) {
    case 0x01: // XDATA write
        xdata_[address16] = r[4];
        break;
    case 0x02: // XDATA read
        singleReply_ = Reply{xdata_[address16], 0, 0, 0, 0, 0, 0};
        break;
    case 0x05: // single write, form 0 (up to three bytes and a count) or form 1 (four bytes)
        if (r[2] == 0x00) return writeImageLocked(r[3], r.subspan(4, std::min<std::size_t>(r[7], 3)));
        if (r[2] == 0x01) return writeImageLocked(r[3], r.subspan(4, 4));
        break;
    case 0x06: // short read; bytes 2..5 read as a 16-bit address and length like the block read
    case 0x09: // block read
        readAddress_ = address16;
        readRemaining_ = length16;
        break;
    case 0x07: // block write: the data reports follow
        writeAddress_ = address16;
        writeRemaining_ = length16;
        blockBefore_ = image_;
        break;
    case 0x0D: // identify
        singleReply_ = Reply{chipCode_, ':', 0, 0, 0, 0, 0};
        break;
    case 0x0E: // restart: leave the bus, come back a while later
        if (dirty_ && !persistLocked()) return false;
        leaveLocked();
        restarting_ = true;
        returnAtMs_ = clock_.tickMs() + kRestartAbsenceMs;
        ++restarts_;
        break;
    default:
        break; // unknown commands are accepted and do nothing
    }
    return true;
}

bool SimulatedMouse::dataReportLocked(std::span<const std::uint8_t> r) {
    if (writeRemaining_ == 0) return true;
    const std::size_t n = std::min<std::size_t>(writeRemaining_, 7);
    for (std::size_t i = 0; i < n; ++i) {
        if (writeAddress_ + i < kImageSize) image_[writeAddress_ + i] = r[1 + i];
    }
    dirty_ = true;
    writeAddress_ += n;
    writeRemaining_ -= n;
    // The block is kept whole when its last report arrives, or not at all.
    return writeRemaining_ > 0 || keptLocked(blockBefore_);
}

void SimulatedMouse::endTransferLocked() {
    // A block write cut short keeps what arrived.
    if (writeRemaining_ > 0 && dirty_) keptLocked(blockBefore_);
    writeRemaining_ = 0;
}

SimulatedMouse::Reply SimulatedMouse::nextReplyLocked() {
    Reply reply{};
    if (garbage_) {
        for (auto& b : reply) {
            noise_ ^= noise_ << 13, noise_ ^= noise_ >> 17, noise_ ^= noise_ << 5;
            b = static_cast<std::uint8_t>(noise_);
        }
        if (reply[1] == ':') reply[1] = 0x3B;
        return reply;
    }
    if (singleReply_) {
        reply = *singleReply_;
        singleReply_.reset();
        return reply;
    }
    if (readRemaining_ > 0) {
        const std::size_t n = std::min<std::size_t>(readRemaining_, 7);
        for (std::size_t i = 0; i < n; ++i)
            reply[i] = readAddress_ + i < kImageSize ? image_[readAddress_ + i] : 0xFF;
        readAddress_ += n;
        readRemaining_ -= n;
    }
    return reply;
}

bool SimulatedMouse::writeImageLocked(std::size_t address, std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return true;
    const Image before = image_;
    for (std::size_t i = 0; i < bytes.size(); ++i) image_[address + i] = bytes[i];
    // Firmware keeps the integrity byte of every section a single write touches.
    const std::size_t end = address + bytes.size();
    for (const auto& s : kChecksummed)
        if (address < s.offset + s.length && end > s.offset) fixChecksum(image_, s.offset, s.length);
    dirty_ = true;
    return keptLocked(before);
}

bool SimulatedMouse::keptLocked(const Image& before) {
    if (persistLocked()) return true;
    // What could not be kept in the image file was not kept: the mouse holds what the file holds.
    image_ = before;
    return false;
}

bool SimulatedMouse::persistLocked() {
    dirty_ = false;
    if (imageFile_.empty()) return true;
    // Under the lock the new file is locked before it replaces the old one.
    std::optional<std::string> error;
    if (imageLock_)
        error = imageLock_->replaceContents(image_);
    else if (auto failed = writeFileAtomically(imageFile_, image_))
        error = failed->message;
    if (!error) return true;
    if (persistError_.empty()) persistError_ = *error;
    return false;
}

// --- controls ---------------------------------------------------------------------------------------

void SimulatedMouse::setReportLatencyUs(int us) {
    latencyUs_ = std::max(us, 0);
}

void SimulatedMouse::setChipCode(std::uint8_t code) {
    std::lock_guard lock(mutex_);
    chipCode_ = code;
}

void SimulatedMouse::setCommandRefused(std::uint8_t code, bool refused) {
    std::lock_guard lock(mutex_);
    refused_[code] = refused;
}

void SimulatedMouse::setAllCommandsRefused(bool refused) {
    std::lock_guard lock(mutex_);
    allRefused_ = refused;
}

void SimulatedMouse::setFetchesFail(bool fail) {
    std::lock_guard lock(mutex_);
    fetchesFail_ = fail;
}

void SimulatedMouse::setGarbageReplies(bool garbage) {
    std::lock_guard lock(mutex_);
    garbage_ = garbage;
}

void SimulatedMouse::vanishAfterReports(int reports) {
    std::lock_guard lock(mutex_);
    vanishAfter_ = reports;
}

void SimulatedMouse::setShortReplies(bool shortReplies) {
    std::lock_guard lock(mutex_);
    shortReplies_ = shortReplies;
}

void SimulatedMouse::addFault(const SimFault& fault) {
    std::lock_guard lock(mutex_);
    SimFault f = fault;
    f.after = static_cast<int>(
        std::min<std::uint64_t>(reportsSeen_ + static_cast<std::uint64_t>(std::max(fault.after, 0)),
                                static_cast<std::uint64_t>(INT32_MAX)));
    pendingFaults_.push_back(f);
}

void SimulatedMouse::armFaultsLocked() {
    for (auto it = pendingFaults_.begin(); it != pendingFaults_.end();) {
        if (static_cast<std::uint64_t>(it->after) <= reportsSeen_) {
            applyFaultLocked(*it);
            it = pendingFaults_.erase(it);
        } else {
            ++it;
        }
    }
}

void SimulatedMouse::applyFaultLocked(const SimFault& fault) {
    switch (fault.kind) {
    case SimFault::Kind::RefuseAll:
        allRefused_ = true;
        break;
    case SimFault::Kind::RefuseCommand:
        refused_[fault.command] = true;
        break;
    case SimFault::Kind::FetchFail:
        fetchesFail_ = true;
        break;
    case SimFault::Kind::Short:
        shortReplies_ = true;
        break;
    case SimFault::Kind::Garbage:
        garbage_ = true;
        break;
    case SimFault::Kind::Vanish:
        vanishAfter_ = 0; // the report being counted meets it
        break;
    case SimFault::Kind::Events: {
        std::uint64_t at = clock_.tickMs();
        for (std::uint8_t code : kFaultEvents) {
            at += kFaultEventSpacingMs;
            dueEvents_.push_back({at, code});
        }
        inputCv_.notify_all();
        break;
    }
    }
}

void SimulatedMouse::raiseDueEventsLocked() {
    if (dueEvents_.empty()) return;
    const std::uint64_t now = clock_.tickMs();
    while (!dueEvents_.empty() && dueEvents_.front().atMs <= now) {
        raiseButtonEventLocked(dueEvents_.front().code);
        dueEvents_.pop_front();
    }
}

void SimulatedMouse::raiseButtonEvent(std::uint8_t code) {
    std::lock_guard lock(mutex_);
    raiseButtonEventLocked(code);
}

void SimulatedMouse::raiseButtonEventLocked(std::uint8_t code) {
    std::vector<std::uint8_t> report(kInputReportLength, 0);
    report[0] = kEventReport;
    report[3] = code;
    refreshPresenceLocked();
    if (!presentLocked()) return; // a mouse that is away raises nothing
    pressLocked(code);
    inputQueue_.push_back(std::move(report));
    inputCv_.notify_all();
}

void SimulatedMouse::pressLocked(std::uint8_t code) {
    // The DPI buttons step through the levels that are on (CPI wraps round, CPI+ and CPI- stop at the
    // ends), the profile button through the three profiles; a release changes nothing.
    constexpr std::size_t kLevelByte = image::kUserOffset + user::kCurrentDpi;
    constexpr std::size_t kProfileByte = image::kUserOffset + user::kProfileAndColour;
    const int count = std::clamp(image_[vendor::kDpiCountMinusOne] + 1, 1, 8);
    const int level = std::min<int>(image_[kLevelByte], count - 1);
    std::uint8_t byte = 0;
    std::size_t at = kLevelByte;
    switch (code) {
    case kEventCpi:
        byte = static_cast<std::uint8_t>((level + 1) % count);
        break;
    case kEventCpiUp:
        byte = static_cast<std::uint8_t>(std::min(level + 1, count - 1));
        break;
    case kEventCpiDown:
        byte = static_cast<std::uint8_t>(std::max(level - 1, 0));
        break;
    case kEventProfile: {
        at = kProfileByte;
        const int profile = image_[kProfileByte] & 0x0F;
        byte = static_cast<std::uint8_t>((image_[kProfileByte] & 0xF0) | (profile >= 2 ? 0 : profile + 1));
        break;
    }
    default:
        return;
    }
    const std::array<std::uint8_t, 1> bytes = {byte};
    writeImageLocked(at, bytes);
}

void SimulatedMouse::queueInputReport(std::vector<std::uint8_t> report) {
    std::lock_guard lock(mutex_);
    refreshPresenceLocked();
    if (!presentLocked()) return; // a mouse that is away raises nothing
    inputQueue_.push_back(std::move(report));
    inputCv_.notify_all();
}

std::optional<std::vector<std::uint8_t>> SimulatedMouse::takeInputReport() {
    std::lock_guard lock(mutex_);
    refreshPresenceLocked();
    raiseDueEventsLocked();
    if (inputQueue_.empty()) return std::nullopt;
    auto report = std::move(inputQueue_.front());
    inputQueue_.pop_front();
    return report;
}

SimulatedMouse::Image SimulatedMouse::image() const {
    std::lock_guard lock(mutex_);
    return image_;
}

void SimulatedMouse::setImage(const Image& image) {
    std::lock_guard lock(mutex_);
    image_ = image;
    persistLocked();
}

std::uint8_t SimulatedMouse::xdata(std::uint16_t address) const {
    std::lock_guard lock(mutex_);
    return xdata_[address];
}

int SimulatedMouse::restarts() const {
    std::lock_guard lock(mutex_);
    return restarts_;
}

std::string SimulatedMouse::persistError() const {
    std::lock_guard lock(mutex_);
    return persistError_;
}

} // namespace krm
