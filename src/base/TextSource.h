#pragma once

#include <string>
#include <string_view>

namespace krm {

// The texts of the active language table, looked up by id ("Str210", "Title", "FontName").
// A missing id gives the empty text. Texts are UTF-8.
class TextSource {
public:
    virtual ~TextSource() = default;
    virtual std::string text(std::string_view id) const = 0;
};

} // namespace krm
