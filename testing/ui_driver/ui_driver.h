#pragma once
// The UI driver: starts a Windows program, finds its windows, reads them, acts on them, and takes
// pictures of them, for GoogleTest tests that run under Wine. Every wait is bounded (kDefaultTimeout
// unless given) and a failure throws std::runtime_error saying what was awaited.
#include "ui_driver/accessibility.h"
#include "ui_driver/gui_resources.h"
#include "ui_driver/input.h"
#include "ui_driver/png_writer.h"
#include "ui_driver/process.h"
#include "ui_driver/screenshot.h"
#include "ui_driver/wait.h"
#include "ui_driver/window_info.h"
#include "ui_driver/window_search.h"
