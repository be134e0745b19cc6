#pragma once

#include "image/ImageLayout.h"
#include "session/EditRequest.h"

#include <cstddef>

namespace krm {

// How many feature reports a request sends when Session::apply carries it out (commands, data reports
// and the fetches of its read-backs), on a mouse of `layout`: what the settings file's apply weighs its
// ways of writing by. A restart counts its one command; the whole-image read after it is the same
// whichever way led there, and so is the first read again of an unchecked area before a block write.
std::size_t reportsFor(const EditRequest& request, const ImageLayout& layout);

} // namespace krm
