#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace krm {

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

// One picture of the window: its name and its size. Pictures of a look carry the look's prefix
// ("L1_", "L2_", "L3_"); `perLook` rows are listed without it.
struct PictureEntry {
    std::string_view name;
    PictureSize size;
    bool perLook = false;
};

// Every picture the window shows, with its size. (The busy animation "WaitGif_NN" is not part of it.)
std::span<const PictureEntry> skinPictureTable();

// The full name of a picture of look 1..3: "Back1" -> "L2_Back1" for look 2.
std::string lookPicture(int look, std::string_view name);

// Sizes of pictures by name (letter case ignored), as the placement pass needs them.
class PictureSizes {
public:
    // The sizes of the picture table, for every look.
    static PictureSizes listed();
    // The sizes of the embedded pictures, read from their PNG headers; a picture that is missing or
    // unreadable keeps its listed size. A header is read when its picture is first asked for, so that a
    // start reads only the headers of its own look's pictures.
    static PictureSizes fromResources();

    void set(std::string_view name, PictureSize size);
    // The size of a picture; 0 x 0 for an unknown name. Not for several threads at once: the first ask
    // for a name may read its header.
    PictureSize operator()(std::string_view name) const;

private:
    struct Entry {
        PictureSize size;
        bool headerUnread = false; // the embedded picture's header may still correct the size
    };
    mutable std::unordered_map<std::string, Entry> sizes_;
};

// Width and height from a PNG file's header, without decoding the pixels; nothing when the bytes are
// not a PNG.
std::optional<PictureSize> pngHeaderSize(std::span<const unsigned char> bytes);

} // namespace krm
