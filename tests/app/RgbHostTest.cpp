// The RGB-sync server in the window's event loop: a client on a loopback socket changes the mode and the
// colour, the mouse receives the lighting page's writes and the lighting page shows them. The mouse is
// simulated on virtual time; the sockets are real.
#include "app/WindowRig.h"

#include "app/gui/RgbHost.h"
#include "rgb/RgbClient.h"
#include "rgb/RgbMouse.h"
#include "widgets/QtImages.h"

#include <QLabel>
#include <QtTest>

#include <sys/socket.h>
#include <unistd.h>

using namespace krm;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes u32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

void send(int fd, const Bytes& bytes) {
    QCOMPARE(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

} // namespace

class RgbHostTest : public QObject {
    Q_OBJECT
private slots:
    void aClientsModeAndColourReachTheMouseAndThePage() {
        test::WindowRig r; // MCU LEDs, "Colorful Light"
        QVERIFY(r.session.connectNow());
        r.window.showPage(Page::Lighting);
        r.window.show();
        gui::RgbHost host(r.session, r.ui, r.clock);
        QVERIFY(host.start("127.0.0.1", 0));
        const int fd = rgb::connectLoopback(static_cast<std::uint16_t>(host.port()));
        QVERIFY(fd >= 0);
        r.clearTrace();

        send(fd, rgb::packet(rgb::PacketId::ProtocolVersion, 0, u32(5)));
        rgb::ModeChange rainbow;
        rainbow.index = 2;
        rainbow.mode = rgb::describeMouse(r.session).info.modes[2];
        QCOMPARE(rainbow.mode.name, std::string("Rainbow"));
        send(fd, rgb::packet(rgb::PacketId::UpdateMode, 0, rgb::modeChangePayload(rainbow, 5)));
        send(fd, rgb::packet(rgb::PacketId::UpdateLeds, 0, rgb::updateLedsPayload({{0x12, 0x34, 0x56}})));

        const std::vector<std::string> expected{"set 40 05 00 a5 83 00 00 01", "set 40 05 00 39 12 00 00 01",
                                                "set 40 05 00 3a 34 00 00 01", "set 40 05 00 3b 56 00 00 01",
                                                "set 40 05 00 39 12 34 56 03"};
        QTRY_COMPARE(r.commands(), expected);
        // The page shows the mode and the colour without being touched.
        auto* rainbowMark = r.window.findChild<QLabel*>(QStringLiteral("Img_LED3"));
        QVERIFY(rainbowMark);
        QCOMPARE(rainbowMark->pixmap().toImage(), gui::resourcePixmap(QStringLiteral("RdS_E")).toImage());
        auto* swatch = r.window.findChild<QWidget*>(QStringLiteral("cs_Col1"));
        QVERIFY(swatch);
        QCOMPARE(swatch->palette().color(QPalette::Window), QColor(0x12, 0x34, 0x56));
        ::close(fd);
        QVERIFY(r.messages.isEmpty());
    }

    // While the RGB server writes, the device link's wait for the mouse runs the window's events.
    void theServersWaitsRunTheWindowsEvents() {
        gui::QtUiPort ui;
        gui::EventClock clock(ui);
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        clock.sleepMs(1);
        QVERIFY(!ran); // the page's own writes sleep as they did
        ui.setBackgroundWrites(true);
        clock.sleepMs(1);
        QVERIFY(ran);
        QVERIFY(!ui.inNestedEvents());
    }
};

QTEST_MAIN(RgbHostTest)
#include "RgbHostTest.moc"
