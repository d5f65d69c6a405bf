// Texts of the record written between double quotes so that every byte survives a terminal
// and a shell: the configuration's readable form and its error messages use it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// `text` in double quotes; `"`, `\`, tab, LF and CR become \" \\ \t \n \r, the other control
// characters (0 to 31 and 127) \xHH with capital hexadecimal digits; every other byte, those
// above 127 included, stays as it is.
std::string QuoteText(std::string_view text);

// The inside of a quoted text (the quotes taken off) with QuoteText's escapes undone, also
// \xhh in small letters. A lone `"`, an unknown escape or a cut-off one gives nothing and
// `problem` says which.
std::optional<std::string> UnquoteText(std::string_view inside, std::string& problem);

}  // namespace corvane
