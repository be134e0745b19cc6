#pragma once

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
#include "image/ConfigImage.h"
#include "image/DefaultImages.h"
#include "shell/Branding.h"
#include "shell/LanguageSlots.h"
#include "shell/LanguageTables.h"

#include <string>

namespace krm {

// What the core tells the window beyond UiPort: the editors must be refilled, the pages reset, the
// mouse switched profile or DPI level by itself. Every call arrives on the UI thread.
class SessionView {
public:
    virtual ~SessionView() = default;
    virtual void DataBufToUI() {}                     // refill every editor from the section copies
    virtual void RefreshErrorAP() {}                  // the pages go back to their start look
    virtual void showFirstPage() {}                   // an image was read: the key page of profile 1
    virtual void showProfile(int /*profile 1..3*/) {} // the mouse's own profile button was used
    virtual void showCurrentDpiLevel(int /*level 0..7*/) {}
    virtual void setIndicator(Indicator, bool /*ticked*/) {}
    virtual void clearMacroLists() {}
};

// The pages of the main window, numbered as their marks rb_1..rb_8.
enum class Page { Profile1 = 1, Profile2, Profile3, Performance, Lighting, Macro, Update, Engineering, Gun };

// Everything the main window owns, free of any toolkit: branding, language, the image and its
// copies, the editors' state, the device link with its presence poll and input reader. The window
// and krmctl each hold one and forward what the user does.
class Session {
public:
    Session(HidBackend& hid, Clock& clock, UiPort& ui, Branding branding = LoadBranding());
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void setView(SessionView* view) { view_ = view; }

    // --- start-up (the core side of the window's creation) ---
    // The six factory images, and DeviceIdTable entry 1 from image 1 of the branding's variant.
    void loadDefaultImages();
    // DeviceIdTable entry 0: the mouse's own ids.
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
    Variant variant() const { return image.copies.layout.variant; }
    bool identified() const { return !presence.chipModel().empty(); }

    // --- language ---
    int language() const { return languages.language(); }
    // Language L (1..3): texts, text slots and every editor caption in the new language.
    void setLanguage(int language);
    const TextSource& texts() const { return languages; }

    // --- navigation ---
    enum class PageClick { Shown, NoMouse, Ignored };
    // A page button: with no mouse the caller shows textSlots.noDevice (Str022); while no image is read, nothing
    // happens; a profile button also does nothing while the refresh guard is set. Profile pages make
    // that profile current on the mouse.
    PageClick clickPage(Page page);
    Page page() const { return page_; }
    int currentProfile() const { return assignments.currentProfile(); }
    // The profile buttons' writes: the profile's game-setting bytes and the current profile.
    void selectProfile(int profile);

    // --- editing ---
    // Carries out what an editor asked for: section-copy stores, then the writes, in order. A refused
    // change sends nothing. Returns the outcome for the view's message and follow-up.
    EditOutcome apply(EditOutcome outcome);

    // The state, shared by the views and the commands.
    Branding branding;
    LanguageTables languages;
    LanguageSlots textSlots; // named so that Qt's "slots" keyword cannot swallow it in a view
    DefaultImageSet defaults;
    ImageState image;
    EditorState editor;
    bool refreshGuard = false;
    std::string ledType; // the lighting editor's LED type text ("RGB", "Sync", "NT", "MCULED" or empty)

    DeviceLink link;
    DeviceCommands commands;
    DevicePresence presence;
    ButtonEvents buttonEvents;
    ImageTransfer transfer;
    AssignmentEditor assignments;

private:
    void wireDevice();
    void storeAtImageOffset(std::size_t offset, std::span<const std::uint8_t> bytes);
    int currentProfileColourItem() const; // item of the current-profile colour list, 10 = fixed colour
    int buttonEffectItem() const;         // cb_BtnEFT, 0 when the switch is not offered

    HidBackend& hid_;
    Clock& clock_;
    UiPort& ui_;
    SessionView* view_ = nullptr;
    InputReader reader_;
    Page page_ = Page::Profile1;
};

} // namespace krm
