// The shipped skins and pictures: complete, and laid out without clipping or overlapping controls.
#include "base/PngImage.h"
#include "base/ResourceTable.h"
#include "shell/Skin.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <algorithm>
#include <string>
#include <vector>

namespace krm {
namespace {

struct Box {
    std::string name;
    int x, y, w, h;
    SkinPage page;
};

std::string describe(const Box& b) {
    return b.name + " (" + std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.w) + "x" +
           std::to_string(b.h) + ")";
}

bool overlap(const Box& a, const Box& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

bool startsWith(const std::string& s, std::string_view prefix) {
    return s.rfind(prefix, 0) == 0;
}

// Controls that share their place with another by design: backgrounds and page pictures, click labels on
// their pictures, swatches under their frames, and the alternatives of which only one is ever shown
// (the insert box instead of the delay box, the MCU LED speed instead of the lighting speed, the stage
// pictures of gun 7 where those of gun 6 are).
bool sharesPlaceByDesign(const Placement& p, const std::string& name) {
    if (p.kind == SkinKind::Label || p.kind == SkinKind::Box) return true;
    if (p.parent == "Gb_Insert") return true;
    if (name.size() == 6 && startsWith(name, "Img_P")) return true; // page pictures Img_P1 .. Img_P6
    for (std::string_view prefix : {"Img_Base_", "Img_Msg", "cs_", "Img_MCULEDStep_", "slider_MCULED_Speed",
                                    "lbl_MCULEDStepNum", "Img_GunMode3", "Img_GunMode4"})
        if (startsWith(name, prefix)) return true;
    return false;
}

std::vector<Box> visibleBoxes(const SkinLayout& layout) {
    std::vector<Box> boxes;
    for (const auto& [name, p] : layout.placements()) {
        if (!p.visible || sharesPlaceByDesign(p, name)) continue;
        Box b{name, p.x, p.y, p.width, p.height, p.page};
        if (!p.parent.empty()) {
            const Placement* parent = layout.find(p.parent);
            b.x += parent->x;
            b.y += parent->y;
        }
        boxes.push_back(b);
    }
    std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.name < b.name; });
    return boxes;
}

void expectInsideAndApart(const SkinLayout& layout, const std::string& context) {
    for (const auto& [name, p] : layout.placements()) {
        if (!p.visible) continue;
        int width = layout.windowWidth, height = layout.windowHeight;
        if (!p.parent.empty()) {
            const Placement* parent = layout.find(p.parent);
            ASSERT_NE(parent, nullptr) << name;
            width = parent->width;
            height = parent->height;
        }
        EXPECT_TRUE(p.width > 0 && p.height > 0) << context << ": " << name << " has no size";
        EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x + p.width <= width && p.y + p.height <= height)
            << context << ": " << name << " is clipped at " << p.x << "," << p.y << " " << p.width << "x"
            << p.height;
    }
    const std::vector<Box> boxes = visibleBoxes(layout);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
            if (boxes[i].page == boxes[j].page && overlap(boxes[i], boxes[j]))
                ADD_FAILURE() << context << ": " << describe(boxes[i]) << " overlaps " << describe(boxes[j]);
}

TEST(ShippedSkins, HoldEveryKeyThePassReadsAndLayOutEveryPageCleanly) {
    const PictureSizes pictures = PictureSizes::fromResources();
    for (int language = 1; language <= 3; ++language) {
        const IniFile skin = loadSkin(language);
        ASSERT_TRUE(skin.hasSection(skinSectionName(language))) << language;
        // Both lighting layouts, both kinds of bars; the shipped branding hides the number labels.
        for (const SkinBranding branding : {SkinBranding{1, 1, 1}, SkinBranding{2, 0, 1}}) {
            const std::string context = "org" + std::to_string(language) + " ic " +
                                        std::to_string(branding.icConfigType) + " bars " +
                                        std::to_string(branding.barConfigType);
            SkinLayout layout;
            applySkin(skin, language, branding, pictures, layout);
            for (const std::string& key : layout.missingKeys())
                ADD_FAILURE() << context << ": no number in " << key;
            expectInsideAndApart(layout, context);
        }
        for (SkinDialog dialog : {SkinDialog::KeyCombination, SkinDialog::Value, SkinDialog::XY}) {
            SkinLayout layout;
            applyDialogSkin(skin, language, dialog, pictures, layout);
            const std::string context = "org" + std::to_string(language) + " dialog";
            for (const std::string& key : layout.missingKeys())
                ADD_FAILURE() << context << ": no number in " << key;
            expectInsideAndApart(layout, context);
        }
    }
}

TEST(ShippedSkins, ShowTheKeyLabelsOfTheirMouse) {
    const PictureSizes pictures = PictureSizes::listed();
    for (const auto& [language, keys] : {std::pair{1, 6}, std::pair{2, 7}, std::pair{3, 9}}) {
        SkinLayout layout;
        applySkin(loadSkin(language), language, {}, pictures, layout);
        for (int index = 1; index <= 12; ++index)
            EXPECT_EQ(layout.find("Key" + std::to_string(keySlotForSkinIndex(index)))->visible, index <= keys)
                << "org" << language << " Key" << index;
    }
}

TEST(ShippedPictures, EveryPictureExistsAtItsListedSizeForEveryLook) {
    std::vector<std::string> names;
    for (const PictureEntry& entry : skinPictureTable()) {
        if (!entry.perLook) names.emplace_back(entry.name);
        for (int look = 1; entry.perLook && look <= 3; ++look) names.push_back(lookPicture(look, entry.name));
    }
    for (const std::string& name : names) {
        const PngImage png = PngImage::fromResource(name);
        ASSERT_FALSE(png.isNull()) << name << ": " << png.error();
        const PictureSize listed = PictureSizes::listed()(name);
        EXPECT_EQ((PictureSize{png.width(), png.height()}), listed) << name;
        const auto& px = png.rgba();
        // The window's transparent colour key cuts holes: only the window and dialog backgrounds use it,
        // and there only exactly — a pixel near the key is not cut out and shows as a stain.
        if (name.find("BackGround") != std::string::npos || name == "MSG") {
            for (std::size_t i = 0; i < px.size(); i += 4) {
                const bool nearKey = std::abs(px[i] - 128) < 16 && px[i + 1] < 16 && px[i + 2] < 16;
                const bool key = px[i] == 128 && px[i + 1] == 0 && px[i + 2] == 0;
                if (nearKey && !key) {
                    ADD_FAILURE() << name << " has a pixel next to the colour key at "
                                  << (i / 4) % png.width() << "," << (i / 4) / png.width();
                    break;
                }
            }
            continue;
        }
        for (std::size_t i = 0; i < px.size(); i += 4)
            if (px[i] == 128 && px[i + 1] == 0 && px[i + 2] == 0 && px[i + 3] == 255) {
                ADD_FAILURE() << name << " uses the transparent colour key";
                break;
            }
    }
    // The busy animation: numbered frames of 200 x 192.
    int frames = 0;
    for (int i = 1; i < 100; ++i) {
        const std::string name = std::string("WaitGif_") + (i < 10 ? "0" : "") + std::to_string(i);
        if (!ResourceTable::find(name)) break;
        const PngImage frame = PngImage::fromResource(name);
        EXPECT_EQ((PictureSize{frame.width(), frame.height()}), (PictureSize{200, 192})) << name;
        ++frames;
    }
    EXPECT_GE(frames, 8);
}

TEST(ShippedPictures, SizesComeFromThePngHeaderWithoutDecoding) {
    const std::vector<std::uint8_t> rgba(3 * 2 * 4, 255);
    const std::vector<std::uint8_t> png = encodePng(3, 2, rgba);
    EXPECT_EQ(pngHeaderSize(png), (PictureSize{3, 2}));
    const std::vector<std::uint8_t> truncated(png.begin(), png.begin() + 20);
    EXPECT_FALSE(pngHeaderSize(truncated));
    std::vector<std::uint8_t> notPng = png;
    notPng[1] = 'X';
    EXPECT_FALSE(pngHeaderSize(notPng));
}

} // namespace
} // namespace krm
