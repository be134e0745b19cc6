#pragma once

#include <string>
#include <string_view>

namespace krm {

// Text from outside the program (a line of a file, a command-line argument, a name the mouse or a
// running program gives) as a message may quote it: every character a terminal would act on rather
// than show is written as an escape, so that printing the message can neither retitle nor clear the
// terminal nor hide what follows it. Printable ASCII and UTF-8 pass as they are; a tab, line feed and
// carriage return become \t, \n and \r; other control bytes and bytes that are no UTF-8 become \xHH; the
// C1 controls, the characters that reorder text (bidirectional marks and overrides), the line and
// paragraph separators and the byte-order mark become \uHHHH. A backslash stays as it is (Windows paths).
std::string printable(std::string_view text);

// The same for a whole message a program prints: its own line breaks and tabs stay as they are.
std::string printableMessage(std::string_view text);

// The UTF-8 byte-order mark some editors put at the start of a text file.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// `text` without a leading byte-order mark.
std::string_view withoutByteOrderMark(std::string_view text);

} // namespace krm
