#pragma once

#include "base/GlobalOptions.h"

#include "buttons/AssignmentEditor.h"
#include "buttons/EditorState.h"
#include "device/ButtonEvents.h"
#include "device/Clock.h"
#include "device/DeviceCommands.h"
#include "device/DeviceLink.h"
#include "device/DevicePresence.h"
#include "device/ImageTransfer.h"
#include "device/InputReader.h"
#include "device/UiPort.h"
#include "engineering/EngineeringEditor.h"
#include "fire/FireEditor.h"
#include "image/ConfigImage.h"
#include "image/DefaultImages.h"
#include "lighting/LightingEditor.h"
#include "macros/MacroEditor.h"
#include "performance/DpiEditor.h"
#include "performance/SniperEditor.h"
#include "session/Editor.h"
#include "session/EditRequest.h"
#include "session/Page.h"
#include "shell/Branding.h"
#include "shell/LanguageSlots.h"
#include "shell/LanguageTables.h"

#include <string>
#include <vector>

namespace krm {

// What the session tells the window, its pages and krmctl beyond UiPort. Every call arrives on the UI
// thread; every event has a do-nothing default, so an observer takes only what it shows.
class SessionObserver {
public:
    virtual ~SessionObserver() = default;
    // Every editor has reloaded from a new image (or the image's blocks changed): repaint everything.
    virtual void editorsReloaded() {}
    // The mouse went away or was refused: the pages go back to their start look.
    virtual void pagesReset() {}
    // A whole image was read from the mouse: the key page of profile 1 is shown.
    virtual void imageRead() {}
    // The mouse's own buttons switched the profile (1..3) or the DPI level (0..7).
    virtual void profileChangedByMouse(int /*profile*/) {}
    virtual void dpiLevelChangedByMouse(int /*level*/) {}
    // selectProfile made the profile (1..3) current: a profile button of the window, the tray, krmctl or
    // the per-game watcher.
    virtual void profileSelected(int /*profile*/) {}
    // The mouse's buttons switched something, but reading back what (ProfileTest: the profile,
    // otherwise the DPI level) failed.
    virtual void mouseSwitchUnread(Indicator) {}
    // A CPI or profile button of the mouse is held down (ticked) or was let go.
    virtual void indicatorChanged(Indicator, bool /*ticked*/) {}
    // A restore started from the engineering page is running (its result picture is hidden meanwhile).
    virtual void engineeringRestoreRunning(bool /*running*/) {}
};

// Everything the main window owns, free of any toolkit: branding, language, the image and its copies,
// the editors, the device link with its presence poll and input reader. The window and krmctl each
// hold one and forward what the user does; both carry editor outcomes out through apply().
class Session final : public EditSink {
public:
    Session(HidBackend& hid, Clock& clock, UiPort& ui, Branding branding = loadBranding());
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void addObserver(SessionObserver* observer);
    void removeObserver(SessionObserver* observer);

    // --- start-up (the core side of the window's creation) ---
    // The six factory images, and device-id table entry 1 from image 1 of the branding's variant.
    void loadDefaultImages();
    // Device-id table entry 0: the mouse's own ids.
    void setDeviceIdEntry0();
    void startInputReader();
    void stopInputReader();
    // The window closes: the device handles are given up.
    void closeDevice();

    // --- device ---
    // Both feature-report handles are open (the page, restore, save and load buttons need them).
    bool mouseOpen() const;
    // Opens, identifies and reads the mouse at once, without waiting for the presence poll (krmctl).
    // False when no accepted mouse answered; the reason is in the messages shown through UiPort.
    bool connectNow();
    Variant variant() const { return image_.copies.layout.variant; }
    bool identified() const { return !presence_.chipModel().empty(); }

    // --- language ---
    int language() const { return languages_.language(); }
    // Language L (1..3): texts, text slots and every editor's captions in the new language.
    void setLanguage(int language);
    const TextSource& texts() const { return languages_; }
    const LanguageTables& languageTables() const { return languages_; }
    // Other tables in place of the embedded ones (a product build's own); takes effect with the next
    // setLanguage.
    void setLanguageTables(LanguageTables tables) { languages_ = std::move(tables); }
    const LanguageSlots& textSlots() const { return textSlots_; }

    // --- navigation ---
    enum class PageClick { Shown, NoMouse, Ignored };
    // A page button: with no mouse the caller shows textSlots().noDevice (Str022); while no image is
    // read, nothing happens; a profile button also does nothing while the refresh guard is set.
    // Profile pages make that profile current on the mouse; not while the copies are not trusted, nor
    // when the mouse did not take it (a message says so then).
    PageClick clickPage(Page page);
    Page page() const { return page_; }
    int currentProfile() const { return assignments_.currentProfile(); }
    // The profile the mouse has (1..3), from its current-profile byte as last read, written or
    // reported by its own button (the window shows profile 1 after a read, whichever it is).
    int mouseProfile() const;
    // The profile buttons' writes: the profile's game-setting bytes and the current profile. False,
    // with the writes after it not sent and the profile unchanged, when the mouse did not take one.
    bool selectProfile(int profile);
    // The mouse's current-profile byte names no profile: a profile rewrite was cut between its 0x0F
    // and the real byte (the mouse unplugged, the program killed). Every view takes it for profile 3.
    bool profileByteCut() const;
    // Makes that profile current again with the profile buttons' writes, so that the byte holds a
    // profile; false when the mouse did not take them.
    bool repairProfileByte() { return selectProfile(mouseProfile()); }

    // The message that another of our programs holds the mouse, in the chosen language.
    std::string heldMessage(const LockHolder& holder) const;

    // --- editing ---
    // Carries out what an editor asked for: section-copy stores and writes, in order. A refused change
    // sends nothing. A write the mouse did not take ends it: the mouse is read again (or, when it cannot
    // be, the copies go back to what they were), every editor reloads, one message is shown, and the
    // outcome says so (`failure`, `failedWrite`). While the copies are not trusted nothing is sent.
    // Returns the outcome for the view's message and follow-up.
    EditOutcome apply(EditOutcome outcome) override;
    // Every editor reloads from the section copies (after an image replacement or a block import).
    void reloadEditors();
    // The mouse's image now gives it other USB ids (an engineering edit, a loaded profile file): they
    // are looked for after the restart, and the user is told once which udev rule line reaches the
    // mouse under them. `ids` nothing: those of the vendor section copy (after an edit).
    void mouseIdsChanged(std::optional<DeviceIdTable::Entry> ids = std::nullopt);
    // The ids at the start of the image as it was read or loaded, which the mouse takes when it starts.
    DeviceIdTable::Entry imageIds() const;
    // The message that names the udev rule line for ids other than the product's own.
    static std::string udevMessage(DeviceIdTable::Entry ids);
    // A mouse given other ids earlier (--ids) is looked for under them as well, until an image read
    // says which ids the mouse has.
    void lookAlsoFor(MouseIds ids) { presence_.deviceIdTable.entries[2] = {ids.vendorId, ids.productId}; }

    // Set while the window is filled from an image: editors ask for no writes then.
    bool refreshGuard() const { return refreshGuard_; }
    void setRefreshGuard(bool on) { refreshGuard_ = on; }

    // --- state, shared by the views and the commands ---
    const Branding& branding() const { return branding_; }
    const DefaultImageSet& defaults() const { return defaults_; }
    ImageState& image() { return image_; }
    const ImageState& image() const { return image_; }
    EditorState& editorState() { return editorState_; }
    const EditorState& editorState() const { return editorState_; }

    DeviceLink& link() { return link_; }
    const DeviceLink& link() const { return link_; }
    DeviceCommands& commands() { return commands_; }
    DevicePresence& presence() { return presence_; }
    const DevicePresence& presence() const { return presence_; }
    ButtonEvents& buttonEvents() { return buttonEvents_; }
    ImageTransfer& transfer() { return transfer_; }

    AssignmentEditor& assignments() { return assignments_; }
    const AssignmentEditor& assignments() const { return assignments_; }
    LightingEditor& lighting() { return lighting_; }
    FireEditor& fire() { return fire_; }
    DpiEditor& dpi() { return dpi_; }
    SniperEditor& sniper() { return sniper_; }
    MacroEditor& macros() { return macros_; }
    const MacroEditor& macros() const { return macros_; }
    EngineeringEditor& engineering() { return engineering_; }

    // Tells every observer; for the operations that run on the session.
    template <typename F> void notify(F&& event) {
        for (SessionObserver* o : observers_) event(*o);
    }

private:
    void wireDevice();
    void storeAtImageOffset(std::size_t offset, std::span<const std::uint8_t> bytes);
    // One request of an outcome through its shared path; false when the mouse did not take it.
    bool carryOut(const EditRequest& request);
    int buttonEffectItem() const;         // cb_BtnEFT, 0 when the switch is not offered
    DeviceIdTable::Entry copyIds() const; // vendor section copy bytes 0..3

    UiPort& ui_; // for the operations an editor's outcome starts (a regeneration)
    Branding branding_;
    LanguageTables languages_;
    LanguageSlots textSlots_;
    DefaultImageSet defaults_;
    ImageState image_;
    EditorState editorState_;
    bool refreshGuard_ = false;

    DeviceLink link_;
    DeviceCommands commands_;
    DevicePresence presence_;
    ButtonEvents buttonEvents_;
    ImageTransfer transfer_;

    // The editors, in the order they reload: the fire slots and the device macros first, since button
    // names read them.
    FireEditor fire_;
    LightingEditor lighting_;
    MacroEditor macros_;
    AssignmentEditor assignments_;
    DpiEditor dpi_;
    SniperEditor sniper_;
    EngineeringEditor engineering_;
    std::vector<Editor*> editors_;

    std::vector<SessionObserver*> observers_;
    DeviceIdTable::Entry announcedIds_; // the ids the udev message was last shown for
    InputReader reader_;
    Page page_ = Page::Profile1;
};

} // namespace krm
