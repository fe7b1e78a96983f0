#pragma once
// The journal: one line per event of every stand-in process, so that a test can tell afterwards
// what a program asked of Excel, in what order, and whether every instance ended.
#include <string_view>

namespace qh::testing {

// Appends "<event> <this process id>[ <detail>]" when a journal is set; does nothing otherwise.
void JournalEvent(std::wstring_view event, std::wstring_view detail = {});

}  // namespace qh::testing
