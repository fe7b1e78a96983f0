// The logo in its picture boxes: drawn at its own size at the top-left, the rest dialog face.
#include <gtest/gtest.h>

#include <olectl.h>

#include <cstring>
#include <vector>

#include "forms_test_support.h"
#include "forms/resource_ids.h"
#include "win32/com_ptr.h"
#include "test_handles.h"

namespace qh::testing {
namespace {

// The logo decoded straight from the program's resources, as 0x00RRGGBB rows, top first.
struct DecodedLogo {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    COLORREF At(int x, int y) const {
        const std::uint32_t pixel = pixels[static_cast<std::size_t>(y * width + x)];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
};

DecodedLogo DecodeLogo() {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(IDR_LOGO_JPEG), RT_RCDATA);
    const DWORD size = ::SizeofResource(module, info);
    const void* bytes = ::LockResource(::LoadResource(module, info));
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(::GlobalLock(copy), bytes, size);
    ::GlobalUnlock(copy);
    win32::ComPtr<IStream> stream;
    EXPECT_EQ(::CreateStreamOnHGlobal(copy, TRUE, stream.put()), S_OK);
    win32::ComPtr<IPicture> picture;
    EXPECT_EQ(::OleLoadPicture(stream.get(), 0, FALSE, IID_IPicture, picture.put_void()), S_OK);
    OLE_HANDLE handle = 0;
    picture->get_Handle(&handle);
    const auto bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));

    BITMAP header{};
    ::GetObjectW(bitmap, sizeof header, &header);
    DecodedLogo logo{header.bmWidth, header.bmHeight, {}};
    logo.pixels.resize(static_cast<std::size_t>(logo.width * logo.height));
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, logo.width, -logo.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    win32::WindowDc screen(nullptr);
    ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(logo.height), logo.pixels.data(), &format, DIB_RGB_COLORS);
    return logo;
}

class LogoTest : public ::testing::TestWithParam<Form> {};

TEST(Logo, IsTheDesignedImage) {
    const DecodedLogo logo = DecodeLogo();
    EXPECT_EQ(logo.width, 220);
    EXPECT_EQ(logo.height, 49);
}

// Picture1 in a dialog, Logo (inside its 2-pixel sunken border) in the start-up window.
TEST_P(LogoTest, DrawnUnscaledAtTheTopLeftOnTheDialogFace) {
    auto forms = MakeForms();
    ShowForInspection(*forms, GetParam());
    const std::size_t position = GetParam() == Form::Form1 ? 0 : (GetParam() == Form::Copying ? 0 : 2);
    HWND box = ControlOf(*forms, GetParam(), position);
    RECT client{};
    ::GetClientRect(box, &client);
    PixelCanvas canvas({client.right, client.bottom});
    ::SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);

    const DecodedLogo logo = DecodeLogo();
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    int mismatches = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const COLORREF expected = x < logo.width && y < logo.height ? logo.At(x, y) : face;
            if (canvas.At(x, y) != expected && mismatches++ < 5) {
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << canvas.At(x, y) << " instead of "
                              << expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_P(LogoTest, PaintsOnScreenToo) {
    auto forms = MakeForms();
    ShowForInspection(*forms, GetParam());
    const std::size_t position = GetParam() == Form::Form1 ? 0 : (GetParam() == Form::Copying ? 0 : 2);
    HWND box = ControlOf(*forms, GetParam(), position);
    ::UpdateWindow(box);
    PumpFor(*forms, std::chrono::milliseconds(50));
    const DecodedLogo logo = DecodeLogo();
    win32::WindowDc dc(box);
    for (const POINT point : {POINT{0, 0}, POINT{110, 24}, POINT{219, 40}}) {
        EXPECT_EQ(::GetPixel(dc.get(), point.x, point.y), logo.At(point.x, point.y)) << point.x << "," << point.y;
    }
    EXPECT_EQ(::GetPixel(dc.get(), 221 - 1 + (GetParam() == Form::Form1 ? 0 : 3), 20), ::GetSysColor(COLOR_BTNFACE));
}

INSTANTIATE_TEST_SUITE_P(PictureBoxes, LogoTest, ::testing::Values(Form::Form1, Form::ExitExcel, Form::Copying));

TEST(Logo, GrowsWithTheLayoutAtAnotherResolution) {
    auto forms = MakeForms(144);
    ShowForInspection(*forms, Form::Copying);
    HWND box = ControlOf(*forms, Form::Copying, 0);
    RECT client{};
    ::GetClientRect(box, &client);
    PixelCanvas canvas({client.right, client.bottom});
    ::SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    // 220 x 49 at 96 dpi is 330 x 73.5 at 144 dpi: every third pixel is every second of the image.
    const DecodedLogo logo = DecodeLogo();
    for (int y = 0; y < 72; y += 9) {
        for (int x = 0; x < 330; x += 30) {
            EXPECT_EQ(canvas.At(x, y), logo.At(x * 2 / 3, y * 2 / 3)) << x << "," << y;
        }
    }
    for (int y = 0; y < client.bottom; y += 5) EXPECT_EQ(canvas.At(331, y), face) << y;
    for (int x = 0; x < client.right; x += 5) EXPECT_EQ(canvas.At(x, 75), face) << x;
}

// A logo the system cannot decode leaves the picture boxes plain, and the windows work on.
TEST(Logo, ThatCannotBeDecodedLeavesItsPlaceEmptyAndTheSetupGoesOn) {
    win32::UniqueLibrary module(::LoadLibraryW(L"qh_broken_logo.dll"));
    ASSERT_TRUE(module) << "error " << ::GetLastError();
    forms::Win32Forms forms(module.get(), kAllForms, forms::LayoutScale(96));
    ShowForInspection(forms, Form::Copying);
    EXPECT_NO_THROW(PumpFor(forms, std::chrono::milliseconds(100)));
    HWND box = ControlOf(forms, Form::Copying, 0);
    RECT client{};
    ::GetClientRect(box, &client);
    PixelCanvas canvas({client.right, client.bottom});
    ::SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    int mismatches = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) mismatches += canvas.At(x, y) != face ? 1 : 0;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_NO_THROW(forms.End());
}

}  // namespace
}  // namespace qh::testing
