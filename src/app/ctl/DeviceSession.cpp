#include "app/ctl/DeviceSession.h"

#include "device/Identification.h"
#include "device/ProtocolTrace.h"
#include "shell/ResourceTable.h"

#include <cstdio>

namespace krm::ctl {

DeviceIdTable defaultDeviceIdTable() {
    DeviceIdTable table;
    if (auto image = ResourceTable::find("KRMR230BData_Cfg1"); image && image->size() == kImageSize)
        table.setEntry1FromImage(*image);
    return table;
}

int DeviceSession::start(const GlobalOptions& options) {
    std::string error;
    backend_ = DeviceBackend::create(options, clock_, error);
    if (!backend_) {
        std::fprintf(stderr, "krmctl: %s\n", error.c_str());
        return kBadFile;
    }
    link_ = std::make_unique<DeviceLink>(backend_->backend());
    commands_ = std::make_unique<DeviceCommands>(*link_, clock_, ui_);
    table_ = defaultDeviceIdTable();
    return kOk;
}

int DeviceSession::open() {
    if (link_->openFromTable(table_) < 0) {
        const int count = link_->CountHidInterfaces();
        std::fprintf(
            stderr,
            "krmctl: no KRM mouse found (looked for %04X:%04X among %d HID interface%s that could be "
            "opened).\n"
            "If the mouse is plugged in, check that the udev rule is installed (see README), or try "
            "--simulate.\n",
            table_.entries[0].vendorId, table_.entries[0].productId, count, count == 1 ? "" : "s");
        return kNoMouse;
    }
    DeviceCommands::Reply reply{};
    if (!commands_->Identify(&reply)) {
        std::fprintf(stderr, "krmctl: the mouse %04X:%04X was found but refused the identify command.\n",
                     link_->vendorId(), link_->productId());
        return kNoMouse;
    }
    const auto v = variantOf(judgeIdentifyReply(reply, 0));
    if (!v) {
        std::fprintf(stderr,
                     "krmctl: the mouse %04X:%04X answered identification wrongly (reply %s; expected ':' "
                     "in its second byte).\n",
                     link_->vendorId(), link_->productId(), hexBytes(reply).c_str());
        return kNoMouse;
    }
    variant = *v;
    chipCode = reply[0];
    return kOk;
}

} // namespace krm::ctl
