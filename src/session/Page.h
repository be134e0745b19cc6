#pragma once

namespace krm {

// The pages of the main window: the key page shown for each of the three profiles, then the
// performance, lighting, macro, update, engineering and gun pages. The one numbering of pages; the
// navigation marks rb_1..rb_8 follow it.
enum class Page { Profile1 = 1, Profile2, Profile3, Performance, Lighting, Macro, Update, Engineering, Gun };

constexpr bool isProfilePage(Page page) {
    return page == Page::Profile1 || page == Page::Profile2 || page == Page::Profile3;
}

} // namespace krm
