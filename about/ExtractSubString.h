// One item of a separated list, as the framework's sub-string extraction takes it.
#pragma once

#include <string>
#include <string_view>

// Item nSub (counted from 0) of strFull, items separated by chSep. An index past the
// last item, or a negative one, gives an empty text and false. Empty items between two
// separators, or after a trailing one, exist and give an empty text and true.
bool ExtractSubString(std::string& strOut, std::string_view strFull, int nSub, char chSep);
