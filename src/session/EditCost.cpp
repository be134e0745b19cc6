#include "session/EditCost.h"

namespace krm {

namespace {

constexpr std::size_t kPiece = 7;      // data bytes in one data report or fetch
constexpr std::size_t kRangePiece = 3; // image bytes in one form-0 single write

std::size_t pieces(std::size_t bytes, std::size_t piece) {
    return (bytes + piece - 1) / piece;
}

// A command and its data reports (or fetches).
std::size_t transfer(std::size_t bytes) {
    return 1 + pieces(bytes, kPiece);
}

} // namespace

std::size_t reportsFor(const EditRequest& r, const ImageLayout& layout) {
    using K = EditRequest::Kind;
    switch (r.kind) {
    case K::Store:
        return 0;
    case K::WriteThrough:
    case K::WriteQuad:
    case K::XDataWrite:
    case K::Restart:
        return 1;
    case K::BlockWrite:
        return 2 * transfer(r.bytes.size()); // written, then read back
    case K::ProfileRewrite:
        return transfer(image::kProfilesLength) + (r.withFireKeyBlock ? transfer(image::kFireKeyLength) : 0) +
               (r.withFireMacroArea ? transfer(layout.fireMacroAreaLength) : 0) +
               transfer(image::kUserLength) + 2; // the user section read back, 0x0F and the real byte
    case K::UserSectionRewrite:
        return pieces(image::kUserLength, kRangePiece);
    case K::VendorSectionRewrite:
        return pieces(image::kVendorLength, kRangePiece);
    case K::RegenerateForLedType:
        return 2 * transfer(kImageSize) + 1; // about: the image written whole and read back, the restart
    }
    return 0;
}

} // namespace krm
