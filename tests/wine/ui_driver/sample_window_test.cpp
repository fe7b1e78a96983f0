#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>

#include "case_name.h"
#include "png_decoder.h"
#include "sample_window.h"
#include "temp_file.h"

namespace qh::testing {
namespace {

using namespace std::chrono_literals;
namespace sample = qh::sample;

class SampleWindow : public ::testing::Test {
protected:
    void SetUp() override {
        process_ = StartProgram(kSampleWindowExe);
        main_ = WaitForWindow(MainWindowDesign(process_.Pid()), kFirstWindowTimeout);
        // Just after its first window appears, a program under Wine may not answer messages for
        // a few seconds (over 2 s seen while the desktop was starting).
        WaitUntilPainted(main_, kFirstWindowTimeout);
    }
    // The Process would end the program anyway; this makes the end part of the test's time.
    void TearDown() override { Terminate(process_); }

    HWND Control(int id) const {
        HWND control = FindChildById(main_, id);
        if (!control) Fail(L"the sample window has no control " + std::to_wstring(id));
        return control;
    }

    Process process_;
    HWND main_ = nullptr;
};

TEST_F(SampleWindow, TopLevelWindowReadsAsCreated) {
    EXPECT_EQ(Caption(main_), sample::kCaption);
    EXPECT_EQ(ClassName(main_), L"QhSampleMain");
    const SIZE client = ClientSize(main_);
    EXPECT_EQ(client.cx, sample::kMainClientSize.cx);
    EXPECT_EQ(client.cy, sample::kMainClientSize.cy);
    EXPECT_EQ(Owner(main_), nullptr);
    EXPECT_EQ(ProcessOf(main_), process_.Pid());
    EXPECT_TRUE(IsVisible(main_));
    EXPECT_TRUE(IsEnabled(main_));
    EXPECT_EQ(Style(main_) & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), DWORD{WS_CAPTION | WS_SYSMENU});
    EXPECT_EQ(ExStyle(main_) & WS_EX_TOPMOST, 0U);
}

struct ControlCase {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    sample::Placement place;
    DWORD styleBits;  // style bits the control must have
};

// In creation order, which is also the z-order ChildWindows reports.
const ControlCase kControls[] = {
    {sample::kClicksLabel, L"Static", L"Clicks: 0", sample::kClicksLabelPlace, 0},
    {sample::kCountButton, L"Button", L"Count", sample::kCountButtonPlace, WS_TABSTOP},
    {sample::kSecondButton, L"Button", L"Second window", sample::kSecondButtonPlace, WS_TABSTOP},
    {sample::kEditableField, L"Edit", L"", sample::kEditablePlace, WS_TABSTOP},
    {sample::kReadOnlyField, L"Edit", sample::kReadOnlyText, sample::kReadOnlyPlace, WS_TABSTOP | ES_READONLY},
};

TEST_F(SampleWindow, ChildrenComeInCreationOrderWithTheirPlacesTextsAndStyles) {
    const auto children = ChildWindows(main_);
    ASSERT_EQ(children.size(), std::size(kControls));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ControlCase& expected = kControls[i];
        HWND child = children[i];
        SCOPED_TRACE(Utf8(DescribeWindow(child)));
        EXPECT_EQ(ControlId(child), expected.id);
        // Class names compare without case: Wine and Windows spell the system classes differently.
        EXPECT_EQ(::CompareStringOrdinal(ClassName(child).c_str(), -1, expected.className, -1, TRUE), CSTR_EQUAL);
        EXPECT_EQ(ControlText(child), expected.text);
        const RECT rect = RectInParent(child);
        EXPECT_EQ(rect.left, expected.place.x);
        EXPECT_EQ(rect.top, expected.place.y);
        EXPECT_EQ(rect.right - rect.left, expected.place.width);
        EXPECT_EQ(rect.bottom - rect.top, expected.place.height);
        EXPECT_EQ(Style(child) & expected.styleBits, expected.styleBits);
        EXPECT_TRUE(IsVisible(child));
        EXPECT_EQ(FindChildByText(main_, expected.text), expected.text[0] ? child : FindChildByText(main_, L""));
    }
}

struct ClickMethod {
    const char* name;
    std::function<void(HWND)> click;

    friend void PrintTo(const ClickMethod& c, std::ostream* out) { *out << c.name; }
};

class SampleWindowClicks : public SampleWindow, public ::testing::WithParamInterface<ClickMethod> {};

TEST_P(SampleWindowClicks, CountButtonCountsAndTheCloseBoxEndsWithTheCount) {
    HWND count = Control(sample::kCountButton);
    HWND label = Control(sample::kClicksLabel);
    GetParam().click(count);
    WaitForControlText(label, L"Clicks: 1");
    GetParam().click(count);
    WaitForControlText(label, L"Clicks: 2");

    CloseByCloseBox(main_);
    WaitForWindowGone(main_);
    EXPECT_EQ(WaitForExit(process_), 2U);
}

INSTANTIATE_TEST_SUITE_P(Driver, SampleWindowClicks,
                         ::testing::Values(ClickMethod{"posted_bm_click", ClickButton},
                                           ClickMethod{"injected_mouse", MouseClick}),
                         CaseName{});

TEST_F(SampleWindow, SecondWindowOfTheSameCaptionIsFoundByItsChildText) {
    ClickButton(Control(sample::kSecondButton));
    HWND second = WaitForWindowWithChildText(process_.Pid(), sample::kSecondWindowText);

    EXPECT_NE(second, main_);
    EXPECT_EQ(Caption(second), sample::kCaption);
    EXPECT_EQ(Owner(second), main_);
    const SIZE client = ClientSize(second);
    EXPECT_EQ(client.cx, sample::kSecondClientSize.cx);
    EXPECT_EQ(client.cy, sample::kSecondClientSize.cy);
    EXPECT_EQ(ControlId(FindChildByText(second, sample::kSecondWindowText)), sample::kSecondLabel);
    EXPECT_EQ(FindChildByText(main_, sample::kSecondWindowText), nullptr);

    WindowFilter sameCaption;
    sameCaption.processId = process_.Pid();
    sameCaption.caption = sample::kCaption;
    EXPECT_EQ(FindTopLevelWindows(sameCaption).size(), 2U);
    EXPECT_EQ(WaitForWindow(MainWindowDesign(process_.Pid())), main_) << "told apart by the client size";

    CloseByCloseBox(second);
    WaitForWindowGone(second);
    EXPECT_EQ(FindTopLevelWindows(sameCaption), std::vector<HWND>{main_});
    WindowFilter secondDesign = sameCaption;
    secondDesign.childText = sample::kSecondWindowText;
    secondDesign.visibleOnly = false;
    WaitForNoWindow(secondDesign, 2s);
    EXPECT_TRUE(IsRunning(process_));
}

struct KeyboardMethod {
    const char* name;
    std::function<void(HWND, WORD)> pressKey;
    std::function<void(HWND, std::wstring_view)> type;

    friend void PrintTo(const KeyboardMethod& c, std::ostream* out) { *out << c.name; }
};

class SampleWindowKeyboard : public SampleWindow, public ::testing::WithParamInterface<KeyboardMethod> {};

TEST_P(SampleWindowKeyboard, TabMovesTheFocusInCreationOrder) {
    BringToForeground(main_);
    // The window gives the focus to its editable field when it is activated.
    WaitForFocus(Control(sample::kEditableField));
    GetParam().pressKey(main_, VK_TAB);
    WaitForFocus(Control(sample::kReadOnlyField));
    GetParam().pressKey(main_, VK_TAB);
    WaitForFocus(Control(sample::kCountButton));
    EXPECT_EQ(FocusedControl(main_), Control(sample::kCountButton));
}

TEST_P(SampleWindowKeyboard, TypingChangesTheEditableFieldOnly) {
    HWND editable = Control(sample::kEditableField);
    HWND readOnly = Control(sample::kReadOnlyField);
    BringToForeground(main_);
    WaitForFocus(editable);
    GetParam().type(main_, L"Typed \u00e4 text");
    WaitForControlText(editable, L"Typed \u00e4 text");

    GetParam().pressKey(main_, VK_TAB);
    WaitForFocus(readOnly);
    GetParam().type(main_, L"xyz");
    // Typing into the editable field shows when keys have been handled; then the read-only one is checked.
    GetParam().pressKey(main_, VK_TAB);
    WaitForFocus(Control(sample::kCountButton));
    EXPECT_EQ(ControlText(readOnly), sample::kReadOnlyText);
    EXPECT_EQ(ControlText(editable), L"Typed \u00e4 text");
}

INSTANTIATE_TEST_SUITE_P(Driver, SampleWindowKeyboard,
                         ::testing::Values(KeyboardMethod{"posted_messages", PostKey, PostText},
                                           KeyboardMethod{"injected_input",
                                                          [](HWND w, WORD key) { InjectKeys(w, {key}); }, InjectText}),
                         CaseName{});

TEST_F(SampleWindow, ShiftTabFromInjectedInputMovesTheFocusBack) {
    BringToForeground(main_);
    WaitForFocus(Control(sample::kEditableField));
    InjectKeys(main_, {VK_SHIFT, VK_TAB});
    WaitForFocus(Control(sample::kSecondButton));
}

TEST_F(SampleWindow, ScreenshotIsAPngOfTheWholeWindowAsOnScreen) {
    BringToForeground(main_);
    TempFile file(L"screenshot.png");
    SaveWindowPng(main_, file.Path());

    const RECT onScreen = ScreenRect(main_);
    const auto width = static_cast<std::uint32_t>(onScreen.right - onScreen.left);
    const auto height = static_cast<std::uint32_t>(onScreen.bottom - onScreen.top);
    const auto chunks = ReadPngChunks(ReadFileBytes(file.Path()));
    ASSERT_FALSE(chunks.empty());
    ASSERT_EQ(chunks.front().type, "IHDR");
    const auto& ihdr = chunks.front().data;
    ASSERT_GE(ihdr.size(), 8U);
    EXPECT_EQ(std::uint32_t{ihdr[0]} << 24 | std::uint32_t{ihdr[1]} << 16 | std::uint32_t{ihdr[2]} << 8 | ihdr[3],
              width);
    EXPECT_EQ(std::uint32_t{ihdr[4]} << 24 | std::uint32_t{ihdr[5]} << 16 | std::uint32_t{ihdr[6]} << 8 | ihdr[7],
              height);
    for (const auto& chunk : chunks) {
        const std::vector<std::uint8_t> type(chunk.type.begin(), chunk.type.end());
        EXPECT_EQ(chunk.storedCrc, Crc32(chunk.data, Crc32(type))) << chunk.type;
    }

    const DecodedImage image = DecodePngWithWic(file.Path());
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    // Where the client area starts within the frame.
    POINT clientOrigin{0, 0};
    ::ClientToScreen(main_, &clientOrigin);
    const auto pixel = [&](LONG clientX, LONG clientY) {
        const auto x = static_cast<std::size_t>(clientOrigin.x - onScreen.left + clientX);
        const auto y = static_cast<std::size_t>(clientOrigin.y - onScreen.top + clientY);
        const std::size_t at = (y * width + x) * 3;
        return RGB(image.rgb.at(at), image.rgb.at(at + 1), image.rgb.at(at + 2));
    };
    EXPECT_EQ(
        pixel((sample::kMarker.left + sample::kMarker.right) / 2, (sample::kMarker.top + sample::kMarker.bottom) / 2),
        sample::kMarkerColour);
    EXPECT_EQ(pixel(sample::kMainClientSize.cx - 2, sample::kMainClientSize.cy - 2), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(pixel(sample::kMainClientSize.cx / 2, -5), ::GetSysColor(COLOR_BTNFACE))
        << "the title bar is in the picture";
}

struct TimeoutCase {
    const char* name;
    std::chrono::milliseconds bound;
    std::function<void(DWORD pid, HWND main, std::chrono::milliseconds bound)> wait;
    const char* messagePart;  // what the failure must name

    friend void PrintTo(const TimeoutCase& c, std::ostream* out) { *out << c.name; }
};

const TimeoutCase kTimeouts[] = {
    {"window_caption", 1000ms, [](DWORD pid, HWND, auto bound) { WaitForWindow(pid, L"Never shown", bound); },
     "caption \"Never shown\""},
    {"window_child_text", 700ms,
     [](DWORD pid, HWND, auto bound) { WaitForWindowWithChildText(pid, L"Please wait\r\n", bound); },
     "child control reading \"Please wait\\r\\n\""},
    {"control_text", 500ms,
     [](DWORD, HWND main, auto bound) {
         WaitForControlText(FindChildById(main, sample::kClicksLabel), L"Clicks: 9", bound);
     },
     "last read: \"Clicks: 0\""},
    {"window_gone", 500ms, [](DWORD, HWND main, auto bound) { WaitForWindowGone(main, bound); }, "to close"},
};

class SampleWindowTimeouts : public SampleWindow, public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(SampleWindowTimeouts, FailWithinTheirBoundNamingWhatWasAwaited) {
    const auto& c = GetParam();
    const auto start = std::chrono::steady_clock::now();
    try {
        c.wait(process_.Pid(), main_, c.bound);
        FAIL() << "the wait succeeded";
    } catch (const std::runtime_error& failure) {
        EXPECT_NE(std::string(failure.what()).find(c.messagePart), std::string::npos) << failure.what();
        EXPECT_NE(std::string(failure.what()).find(std::to_string(c.bound.count()) + " ms"), std::string::npos)
            << failure.what();
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, c.bound);
    EXPECT_LT(waited, c.bound + 1500ms);
}

INSTANTIATE_TEST_SUITE_P(Driver, SampleWindowTimeouts, ::testing::ValuesIn(kTimeouts), CaseName{});

TEST_F(SampleWindow, ResourceCountsFollowTheWindowsOfTheProcess) {
    const GuiResourceCounts before = GuiResources(process_.Handle());
    EXPECT_GT(before.kernelHandles, 0U);
    // The main window, its five controls, and the windows the system gives every GUI thread (IME).
    EXPECT_GE(before.windows, 6U);

    ClickButton(Control(sample::kSecondButton));
    HWND second = WaitForWindowWithChildText(process_.Pid(), sample::kSecondWindowText);
    const GuiResourceCounts opened = GuiResources(process_.Handle());
    EXPECT_EQ(opened.windows, before.windows + 2) << "the second window and its label";

    CloseByCloseBox(second);
    WaitUntil(
        2s, [&] { return !::IsWindow(second); }, [] { return L"the second window to be destroyed"; });
    EXPECT_EQ(GuiResources(process_.Handle()).windows, before.windows);
    RecordProperty("gdi_objects", static_cast<int>(before.gdiObjects));
    RecordProperty("user_objects", static_cast<int>(before.userObjects));
    RecordProperty("kernel_handles", static_cast<int>(before.kernelHandles));
}

TEST(SampleWindowShownLate, HiddenWindowIsFoundOnlyWhenAskedForAndWaitedForUntilShown) {
    Process process = StartProgram(kSampleWindowExe, {}, L"1500");
    WindowFilter any = MainWindowDesign(process.Pid());
    any.visibleOnly = false;
    HWND hidden = WaitForWindow(any, kFirstWindowTimeout);
    EXPECT_FALSE(IsVisible(hidden));
    EXPECT_THROW(WaitForWindow(MainWindowDesign(process.Pid()), 200ms), std::runtime_error);
    EXPECT_EQ(WaitForWindow(MainWindowDesign(process.Pid())), hidden);
    EXPECT_TRUE(IsVisible(hidden));
}

}  // namespace
}  // namespace qh::testing
