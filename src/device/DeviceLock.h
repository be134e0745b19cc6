#pragma once

#include "device/Clock.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace krm {

// The process that holds a mouse.
struct LockHolder {
    int pid = 0;
    std::string program; // its command name, empty when it cannot be read (another user's process)
    // "krmconfig (process 1234)"
    std::string describe() const;
};

// This process's hold on one mouse among our programs: an exclusive flock on the file that stands
// for the mouse (its hidraw node, or the simulated mouse's image file). Only the holder sends the
// mouse reports; the others wait or ask the holder. The hold ends with the object, and with the
// process however it ends, since the kernel drops the lock with the last descriptor.
//
// flock rather than a record lock: a record lock belongs to the process and is dropped when any of
// its descriptors of the file is closed, and hidapi opens and closes the node on its own.
class DeviceLock {
public:
    enum class Outcome {
        Taken,
        Held,  // another process holds it
        Failed // the file cannot be opened (gone, or no permission)
    };

    // Takes the lock without waiting. Held: `holder` says who has it when that can be told.
    static std::unique_ptr<DeviceLock> tryTake(const std::string& file, Outcome& outcome,
                                               std::optional<LockHolder>* holder = nullptr);
    // Takes the lock, waiting up to `waitMs` (on the clock, in steps of `stepMs`) while another holds
    // it. `waiting` is called once, when the first try found it held.
    static std::unique_ptr<DeviceLock> take(const std::string& file, Clock& clock, int waitMs, int stepMs,
                                            Outcome& outcome, std::optional<LockHolder>* holder = nullptr,
                                            const std::function<void(const LockHolder*)>& waiting = {});
    ~DeviceLock();
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    const std::string& file() const { return file_; }
    // The file's name still leads to the locked file (a device node that was not made anew).
    bool stillNamed() const;

    // New contents for the locked file, written as a new file that replaces it; the new file is
    // locked before it takes the old one's place, so that no other process finds it free. An error
    // message, or nothing.
    std::optional<std::string> replaceContents(std::span<const std::uint8_t> bytes);

    // Called as the lock is let go.
    std::function<void()> onRelease;

    // Who holds the lock on `file`, from /proc/locks: nothing when nobody does (or the file is gone).
    static std::optional<LockHolder> holder(const std::string& file);

private:
    DeviceLock(int fd, std::string file) : fd_(fd), file_(std::move(file)) {}
    int fd_;
    std::string file_;
};

} // namespace krm
