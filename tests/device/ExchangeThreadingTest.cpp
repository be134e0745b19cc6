#include "DeviceRig.h"

#include "device/ButtonEvents.h"
#include "device/InputReader.h"
#include "image/ImageFields.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

namespace krm {

// The UI thread writes the whole image while the reader thread answers button events with its own
// exchanges; the mouse's buffers are shared, so the reports of two exchanges must never mix.
TEST(ExchangeThreading, ButtonEventsDuringABlockWriteDoNotInterleave) {
    test::DeviceRig rig;
    ASSERT_TRUE(rig.open());
    ButtonEvents events(rig.commands, rig.clock, rig.ui);

    std::mutex m;
    std::condition_variable cv;
    int handled = 0;
    InputReader reader(
        rig.trace,
        [&] {
            return InputReader::Source{rig.link.inputHandle(), rig.link.inputReportLength()};
        },
        [&](std::span<const std::uint8_t> report) {
            events.onInputReport(report);
            std::lock_guard lock(m);
            ++handled;
            cv.notify_all();
        });
    reader.start();

    // Events arrive while the write is under way; the UI thread keeps yielding to give the reader
    // every chance to cut in.
    const std::uint8_t codes[] = {0x01, 0x00, 0x02, 0x04, 0x00, 0x08, 0x00};
    std::size_t raised = 0;
    int piece = 0;
    rig.ui.onProcessEvents = [&] {
        if (piece++ % 20 == 5 && raised < std::size(codes)) rig.mouse.raiseButtonEvent(codes[raised++]);
        for (int i = 0; i < 50; ++i) std::this_thread::yield();
    };
    rig.clearTrace();
    std::vector<std::uint8_t> image(kImageSize, 0x5A);
    ASSERT_TRUE(rig.commands.blockWrite(0, kImageSize, image));
    rig.ui.onProcessEvents = nullptr;
    ASSERT_EQ(raised, std::size(codes));
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5),
                                [&] { return handled == static_cast<int>(std::size(codes)); }));
    }
    reader.stop();

    // Walk the trace exchange by exchange (input reports are not part of any).
    std::vector<std::string> lines;
    for (const auto& l : rig.lines())
        if (!l.starts_with("in ")) lines.push_back(l);
    std::size_t i = 0, blockWrites = 0, shortReads = 0, reReads = 0;
    while (i < lines.size()) {
        const std::string& command = lines[i++];
        ASSERT_TRUE(command.starts_with("set 40 ")) << "line " << i << ": " << command;
        std::size_t follow = 0;
        const char* kind = "";
        if (command.starts_with("set 40 07 00 00 08 00"))
            follow = 293, kind = "set 41 ", ++blockWrites;
        else if (command.starts_with("set 40 06 00 1"))
            follow = 1, kind = "get 41 ", ++shortReads;
        else if (command.starts_with("set 40 09 00 a"))
            follow = 1, kind = "get 41 ", ++reReads;
        else
            FAIL() << "unexpected command " << command;
        for (std::size_t k = 0; k < follow; ++k, ++i) {
            ASSERT_LT(i, lines.size());
            ASSERT_TRUE(lines[i].starts_with(kind))
                << "exchange of " << command << " broken at line " << i << ": " << lines[i];
        }
    }
    EXPECT_EQ(blockWrites, 1u);
    EXPECT_EQ(shortReads, 2 * std::size(codes));
    EXPECT_EQ(reReads, 4u); // CPI; CPI+ and CPI-; profile
    // The block arrived whole; the mouse's own presses may have moved its DPI level and profile since
    // (those bytes and the user section's checksum are theirs).
    auto stored = rig.mouse.image();
    for (std::size_t at :
         {image::kUserOffset + user::kProfileAndColour, image::kUserOffset + user::kCurrentDpi,
          image::kUserOffset + image::kUserLength - 1})
        stored[at] = image[at];
    EXPECT_TRUE(std::equal(image.begin(), image.end(), stored.begin()));
}

} // namespace krm
