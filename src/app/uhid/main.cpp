// krm-uhid-mouse: the project's simulated mouse served through Linux uhid, so that the kernel makes a
// real HID device (a hidraw node with ids 3A7E:0C51) of it. Every feature report the kernel passes on
// is answered by the same SimulatedMouse that --simulate uses in-process, with the same image file
// and fault options; its button events become real input reports. Core only, no Qt.

#include "app/uhid/ReportDescriptors.h"
#include "base/SimFault.h"
#include "device/Clock.h"
#include "device/SimulatedMouse.h"
#include "image/ImageFiles.h"
#include "image/ImageLayout.h"

#include <linux/uhid.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <span>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint16_t kBusUsb = 0x03;
constexpr std::uint16_t kDecoyVendor = 0x1209;
constexpr std::uint16_t kDecoyProduct = 0x0100;
constexpr std::size_t kFeatureLength = 8;
// uhid fails a request that was already answered when the device is destroyed right after the
// answer: a leaving mouse stays this long first (answering every request with an error).
constexpr auto kLeaveDelay = std::chrono::milliseconds(50);
constexpr int kPollMs = 10;

volatile std::sig_atomic_t stopping = 0;
extern "C" void onStop(int) {
    stopping = 1;
}

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: krm-uhid-mouse [options]\n"
                 "Serves the simulated KRM mouse through /dev/uhid: the kernel makes a real HID device of\n"
                 "it (a hidraw node with USB ids 3A7E:0C51, taken from image bytes 0..3), which krmctl,\n"
                 "krmconfig and any other HID tool can open as they would open the mouse. Runs until\n"
                 "interrupted (Ctrl-C, SIGTERM); needs read/write access to /dev/uhid (root, or a udev\n"
                 "rule, see README) and the uhid module.\n\n"
                 "Options:\n"
                 "  --variant R210B|R230B     chip variant of the mouse (default R210B)\n"
                 "  --sim-image FILE          the mouse keeps its image in FILE between runs\n"
                 "%s"
                 "  --collections 1|2         1: the configuration collection alone (default); 2: a\n"
                 "                            pointer collection (report id 1) in front of it\n"
                 "  --decoy                   also make an unrelated device, 1209:0100, with the same\n"
                 "                            report ids and lengths; it refuses every request\n"
                 "  --phys TEXT               the physical path the kernel reports, by which programs\n"
                 "                            tell two mice apart (default krm-uhid-mouse)\n"
                 "  --serial TEXT             the serial number the kernel reports (default none)\n"
                 "  --uhid PATH               the uhid node (default /dev/uhid)\n"
                 "  --verbose                 log every request and answer on stderr\n"
                 "  --help, --version\n\n"
                 "The command restart (0x0E) makes the device leave and come back 1.5 s later, as the\n"
                 "mouse does; the vanish fault makes it leave for good.\n",
                 krm::kSimFaultHelp);
}

struct Options {
    krm::Variant variant = krm::Variant::R210B;
    std::string image;
    std::vector<krm::SimFault> faults;
    int collections = 1;
    bool decoy = false;
    std::string uhidPath = "/dev/uhid";
    std::string phys = "krm-uhid-mouse";
    std::string serial;
    bool verbose = false;
    bool help = false;
    bool version = false;
};

std::optional<Options> parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i], value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        auto take = [&]() -> bool {
            if (hasValue) return true;
            if (i + 1 >= argc) {
                std::fprintf(stderr, "krm-uhid-mouse: %s needs a value\n", name.c_str());
                return false;
            }
            value = argv[++i];
            return true;
        };
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--version") {
            o.version = true;
        } else if (name == "--verbose") {
            o.verbose = true;
        } else if (name == "--decoy") {
            o.decoy = true;
        } else if (name == "--variant") {
            if (!take()) return std::nullopt;
            for (char& c : value) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            const auto v = krm::variantFromName(value);
            if (!v) {
                std::fprintf(stderr, "krm-uhid-mouse: --variant takes R210B or R230B, not %s\n",
                             value.c_str());
                return std::nullopt;
            }
            o.variant = *v;
        } else if (name == "--sim-image") {
            if (!take()) return std::nullopt;
            o.image = value;
        } else if (name == "--sim-fault") {
            if (!take()) return std::nullopt;
            std::string error;
            const auto f = krm::parseSimFault(value, error);
            if (!f) {
                std::fprintf(stderr, "krm-uhid-mouse: %s\n", error.c_str());
                return std::nullopt;
            }
            o.faults.push_back(*f);
        } else if (name == "--collections") {
            if (!take()) return std::nullopt;
            if (value != "1" && value != "2") {
                std::fprintf(stderr, "krm-uhid-mouse: --collections takes 1 or 2, not %s\n", value.c_str());
                return std::nullopt;
            }
            o.collections = value == "1" ? 1 : 2;
        } else if (name == "--phys") {
            if (!take()) return std::nullopt;
            o.phys = value;
        } else if (name == "--serial") {
            if (!take()) return std::nullopt;
            o.serial = value;
        } else if (name == "--uhid") {
            if (!take()) return std::nullopt;
            o.uhidPath = value;
        } else {
            std::fprintf(stderr, "krm-uhid-mouse: unknown option '%s'\n\n", argv[i]);
            printUsage(stderr);
            return std::nullopt;
        }
    }
    return o;
}

std::string hex(std::span<const std::uint8_t> bytes) {
    std::string s;
    char b[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(b, sizeof b, i ? " %02x" : "%02x", bytes[i]);
        s += b;
    }
    return s;
}

// One uhid device: its own /dev/uhid file descriptor.
class UhidDevice {
public:
    UhidDevice(std::string label, bool verbose) : label_(std::move(label)), verbose_(verbose) {}
    ~UhidDevice() {
        destroy();
        if (fd_ >= 0) ::close(fd_);
    }

    bool open(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0) {
            std::fprintf(stderr, "krm-uhid-mouse: cannot open %s: %s%s\n", path.c_str(), std::strerror(errno),
                         errno == ENOENT   ? " (is the uhid module loaded? modprobe uhid)"
                         : errno == EACCES ? " (run as root or install the udev rule, see README)"
                                           : "");
            return false;
        }
        return true;
    }

    // `phys` and `serial`: what the kernel reports as the device's physical path (where programs see it
    // sit) and its serial number.
    bool create(const char* name, std::span<const std::uint8_t> descriptor, std::uint16_t vendor,
                std::uint16_t product, std::uint16_t version, const std::string& phys = "krm-uhid-mouse",
                const std::string& serial = {}) {
        uhid_event ev{};
        ev.type = UHID_CREATE2;
        std::snprintf(reinterpret_cast<char*>(ev.u.create2.name), sizeof ev.u.create2.name, "%s", name);
        std::snprintf(reinterpret_cast<char*>(ev.u.create2.phys), sizeof ev.u.create2.phys, "%s",
                      phys.c_str());
        std::snprintf(reinterpret_cast<char*>(ev.u.create2.uniq), sizeof ev.u.create2.uniq, "%s",
                      serial.c_str());
        std::memcpy(ev.u.create2.rd_data, descriptor.data(), descriptor.size());
        ev.u.create2.rd_size = static_cast<std::uint16_t>(descriptor.size());
        ev.u.create2.bus = kBusUsb;
        ev.u.create2.vendor = vendor;
        ev.u.create2.product = product;
        ev.u.create2.version = version;
        if (!send(ev)) return false;
        created_ = true;
        log("created %04X:%04X", vendor, product);
        return true;
    }

    void destroy() {
        if (!created_ || fd_ < 0) return;
        uhid_event ev{};
        ev.type = UHID_DESTROY;
        send(ev);
        created_ = false;
        log("destroyed");
    }

    bool input(std::span<const std::uint8_t> report) {
        uhid_event ev{};
        ev.type = UHID_INPUT2;
        ev.u.input2.size = static_cast<std::uint16_t>(report.size());
        std::memcpy(ev.u.input2.data, report.data(), report.size());
        log("input %s", hex(report).c_str());
        return send(ev);
    }

    void answerGet(std::uint32_t id, std::span<const std::uint8_t> data, bool ok) {
        uhid_event ev{};
        ev.type = UHID_GET_REPORT_REPLY;
        ev.u.get_report_reply.id = id;
        ev.u.get_report_reply.err = ok ? 0 : EIO;
        ev.u.get_report_reply.size = ok ? static_cast<std::uint16_t>(data.size()) : 0;
        if (ok) std::memcpy(ev.u.get_report_reply.data, data.data(), data.size());
        log("get -> %s", ok ? hex(data).c_str() : "error");
        send(ev);
    }

    void answerSet(std::uint32_t id, bool ok) {
        uhid_event ev{};
        ev.type = UHID_SET_REPORT_REPLY;
        ev.u.set_report_reply.id = id;
        ev.u.set_report_reply.err = ok ? 0 : EIO;
        log("set -> %s", ok ? "ok" : "error");
        send(ev);
    }

    // One event from the kernel, or nothing when none is waiting.
    std::optional<uhid_event> read() {
        uhid_event ev{};
        const ssize_t n = ::read(fd_, &ev, sizeof ev);
        if (n <= 0) return std::nullopt;
        return ev;
    }

    int fd() const { return fd_; }
    bool created() const { return created_; }

    template <typename... Args> void log(const char* format, Args... args) {
        if (!verbose_) return;
        std::fprintf(stderr, "krm-uhid-mouse: %s: ", label_.c_str());
        if constexpr (sizeof...(Args) == 0)
            std::fputs(format, stderr);
        else
            std::fprintf(stderr, format, args...);
        std::fputc('\n', stderr);
    }

private:
    bool send(const uhid_event& ev) {
        // Writes to /dev/uhid are taken whole or not at all.
        for (;;) {
            const ssize_t n = ::write(fd_, &ev, sizeof ev);
            if (n == static_cast<ssize_t>(sizeof ev)) return true;
            if (n < 0 && errno == EINTR) continue;
            std::fprintf(stderr, "krm-uhid-mouse: %s: writing to uhid failed: %s\n", label_.c_str(),
                         n < 0 ? std::strerror(errno) : "short write");
            return false;
        }
    }

    std::string label_;
    bool verbose_;
    int fd_ = -1;
    bool created_ = false;
};

// The mouse side: a SimulatedMouse behind one uhid device that follows its presence.
class MouseServer {
public:
    MouseServer(const Options& o, krm::SimulatedMouse& mouse)
        : options_(o), mouse_(mouse), device_("mouse", o.verbose),
          descriptor_(krm::uhid::mouseDescriptor(o.collections)) {}

    bool open() { return device_.open(options_.uhidPath); }
    UhidDevice& device() { return device_; }

    // Brings the uhid device in line with the mouse: made when the mouse is present, destroyed a
    // little after it left. False when uhid refused.
    bool follow() {
        const bool present = mouse_.present();
        const auto now = std::chrono::steady_clock::now();
        if (present && !device_.created()) {
            leavingSince_.reset();
            handle_ = mouse_.open(mouse_.configPath(), true);
            krm::HidAttributes ids{};
            mouse_.attributes(handle_, ids);
            const char* name = mouse_.variant() == krm::Variant::R210B ? "KRM R210B Gaming Mouse (simulated)"
                                                                       : "KRM R230B Gaming Mouse (simulated)";
            if (!device_.create(name, descriptor_, ids.vendorId, ids.productId, ids.version, options_.phys,
                                options_.serial))
                return false;
            std::printf("krm-uhid-mouse: the %s mouse is attached as %04X:%04X (%d collection%s)\n",
                        std::string(krm::variantName(mouse_.variant())).c_str(), ids.vendorId, ids.productId,
                        options_.collections, options_.collections == 1 ? "" : "s");
            std::fflush(stdout);
        } else if (!present && device_.created()) {
            if (!leavingSince_) leavingSince_ = now;
            if (now - *leavingSince_ >= kLeaveDelay) {
                device_.destroy();
                mouse_.close(handle_);
                handle_ = krm::kInvalidHandle;
                leavingSince_.reset();
                std::printf("krm-uhid-mouse: the mouse has left\n");
                std::fflush(stdout);
            }
        }
        if (device_.created() && present) {
            // A mouse that left and came back between two looks has a new session: reopen it.
            if (krm::HidAttributes ids{}; !mouse_.attributes(handle_, ids)) {
                mouse_.close(handle_);
                handle_ = mouse_.open(mouse_.configPath(), true);
            }
            while (auto report = mouse_.takeInputReport()) device_.input(*report);
        }
        return true;
    }

    void handle(const uhid_event& ev) {
        switch (ev.type) {
        case UHID_GET_REPORT: {
            const auto& r = ev.u.get_report;
            std::vector<std::uint8_t> report(kFeatureLength, 0);
            report[0] = r.rnum;
            int n = -1;
            if (r.rtype == UHID_FEATURE_REPORT) n = mouse_.fetchFeature(handle_, report);
            device_.log("get report %02x", r.rnum);
            device_.answerGet(r.id, std::span(report).first(n > 0 ? static_cast<std::size_t>(n) : 0), n > 0);
            break;
        }
        case UHID_SET_REPORT: {
            const auto& r = ev.u.set_report;
            const std::size_t size = std::min<std::size_t>(r.size, sizeof r.data);
            const std::span<const std::uint8_t> data(r.data, size);
            device_.log("set report %s", hex(data).c_str());
            const bool ok = r.rtype == UHID_FEATURE_REPORT && mouse_.setFeature(handle_, data);
            device_.answerSet(r.id, ok);
            break;
        }
        case UHID_OPEN:
            // A program opened the mouse: its image file holds the mouse's image from now on, as the
            // simulated mouse's does once a program takes it.
            if (!options_.image.empty()) (void)krm::createFileAtomically(options_.image, mouse_.image());
            break;
        default:
            break; // start, stop, close, output: nothing to answer
        }
    }

private:
    const Options& options_;
    krm::SimulatedMouse& mouse_;
    UhidDevice device_;
    std::vector<std::uint8_t> descriptor_;
    krm::HidHandle handle_ = krm::kInvalidHandle;
    std::optional<std::chrono::steady_clock::time_point> leavingSince_;
};

// The decoy refuses every request, and says so: a program that talks to it is looking at the wrong
// device.
void handleDecoy(UhidDevice& decoy, const uhid_event& ev) {
    if (ev.type == UHID_GET_REPORT) {
        std::fprintf(stderr, "krm-uhid-mouse: decoy: refused a fetch of report %02x\n", ev.u.get_report.rnum);
        decoy.answerGet(ev.u.get_report.id, {}, false);
    } else if (ev.type == UHID_SET_REPORT) {
        std::fprintf(
            stderr, "krm-uhid-mouse: decoy: refused report %s\n",
            hex(std::span(ev.u.set_report.data, std::min<std::size_t>(ev.u.set_report.size, 8))).c_str());
        decoy.answerSet(ev.u.set_report.id, false);
    }
}

} // namespace

namespace {
int runProgram(int argc, char** argv) {
    const auto options = parseOptions(argc, argv);
    if (!options) return 1;
    if (options->help) {
        printUsage(stdout);
        return 0;
    }
    if (options->version) {
        std::printf("krm-uhid-mouse %s\n", KRM_VERSION);
        return 0;
    }

    krm::SystemClock clock;
    std::unique_ptr<krm::SimulatedMouse> mouse;
    if (options->image.empty()) {
        mouse = std::make_unique<krm::SimulatedMouse>(options->variant, clock);
    } else {
        std::string error;
        mouse = krm::SimulatedMouse::withImageFile(options->variant, clock, options->image, error);
        if (!mouse) {
            std::fprintf(stderr, "krm-uhid-mouse: %s\n", error.c_str());
            return 3;
        }
    }
    for (const auto& f : options->faults) mouse->addFault(f);

    MouseServer server(*options, *mouse);
    if (!server.open()) return 2;
    std::unique_ptr<UhidDevice> decoy;
    if (options->decoy) {
        decoy = std::make_unique<UhidDevice>("decoy", options->verbose);
        const auto d = krm::uhid::decoyDescriptor();
        if (!decoy->open(options->uhidPath) ||
            !decoy->create("Unrelated HID device (krm-uhid-mouse decoy)", d, kDecoyVendor, kDecoyProduct, 1))
            return 2;
    }

    std::signal(SIGINT, onStop);
    std::signal(SIGTERM, onStop);
    int rc = 0;
    while (!stopping) {
        if (!server.follow()) {
            rc = 2;
            break;
        }
        pollfd fds[2] = {{server.device().fd(), POLLIN, 0}, {decoy ? decoy->fd() : -1, POLLIN, 0}};
        const int n = ::poll(fds, decoy ? 2 : 1, kPollMs);
        if (n < 0 && errno != EINTR) {
            std::perror("krm-uhid-mouse: poll");
            rc = 2;
            break;
        }
        if (n <= 0) continue;
        if (fds[0].revents & POLLIN)
            while (auto ev = server.device().read()) server.handle(*ev);
        if (decoy && (fds[1].revents & POLLIN))
            while (auto ev = decoy->read()) handleDecoy(*decoy, *ev);
    }
    if (!mouse->persistError().empty())
        std::fprintf(stderr, "krm-uhid-mouse: the image file could not be written: %s\n",
                     mouse->persistError().c_str());
    return rc;
}
} // namespace

// Whatever escapes the program ends it with a message and a failure code, never with an abort.
int main(int argc, char** argv) {
    try {
        return runProgram(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: stopped by an unexpected error: %s\n", "krm-uhid-mouse", e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: stopped by an unexpected error\n", "krm-uhid-mouse");
    }
    return 1;
}
