// The installer's platform calls and nothing else, written flat: the same start-up and progress
// windows with the same controls, fonts, icons, logo and manifest; the Excel window lookup; Excel's
// start-up folder asked on a thread of its own; the file-system object's Windows folder; the
// one-second pause; the three copies, Excel's Quit and, once the windows are gone, Excel's end. No
// design tables (but for the texts' words), forms runtime, exceptions or error report: what the
// installer's job costs on this platform at the least.
#include <windows.h>
#include <tlhelp32.h>
#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>

#include <cstring>
#include <string>

#include "forms/designs.h"
#include "forms/resource_ids.h"

namespace {

HINSTANCE instance;
IPicture* logo = nullptr;
OLE_XSIZE_HIMETRIC logoWidth = 0;
OLE_YSIZE_HIMETRIC logoHeight = 0;

// The words the Copying window's design gives the control `name` (`index` in a control array):
// the floor's window shows the installer's.
std::wstring_view DesignedText(std::wstring_view name, int index) {
    for (const auto& control : qh::forms::DesignOf(qh::Form::Copying).controls) {
        if (control.name == name && control.index == index) return control.text;
    }
    return {};
}

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLOREDIT) {
        ::SetTextColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_MENU));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_MENU));
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK PictureProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(box, &paint);
        RECT client;
        ::GetClientRect(box, &client);
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        if (logo) logo->Render(dc, 0, 0, 220, 49, 0, logoHeight, logoWidth, -logoHeight, nullptr);
        ::EndPaint(box, &paint);
        return 0;
    }
    return ::DefWindowProcW(box, message, wParam, lParam);
}

void LoadLogo() {
    HRSRC info = ::FindResourceW(instance, MAKEINTRESOURCEW(IDR_LOGO_JPEG), RT_RCDATA);
    const DWORD size = ::SizeofResource(instance, info);
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(::GlobalLock(copy), ::LockResource(::LoadResource(instance, info)), size);
    ::GlobalUnlock(copy);
    IStream* stream = nullptr;
    ::CreateStreamOnHGlobal(copy, TRUE, &stream);
    ::OleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&logo));
    stream->Release();
    logo->get_Width(&logoWidth);
    logo->get_Height(&logoHeight);
}

HWND Frame(DWORD exStyle, DWORD style, int width, int height, HWND owner, int iconId, HICON icons[2]) {
    RECT outer{0, 0, width, height};
    ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int w = outer.right - outer.left;
    const int h = outer.bottom - outer.top;
    HWND window =
        ::CreateWindowExW(exStyle, L"FloorForm", L"Quenzo Halvorn", style, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                          (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, owner, nullptr, instance, nullptr);
    if (iconId) {
        icons[0] = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
        icons[1] =
            static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
        ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons[0]));
        ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons[1]));
    }
    return window;
}

HWND Control(const wchar_t* windowClass, std::wstring_view text, DWORD style, DWORD exStyle, int x, int y, int width,
             int height, HWND parent, HFONT font) {
    const std::wstring content(text);
    HWND control = ::CreateWindowExW(exStyle, windowClass, content.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
                                     height, parent, nullptr, instance, nullptr);
    if (font) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void Show(HWND window) {
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    ::SetFocus(window);
    ::UpdateWindow(window);
}

void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
}

// Waits for the Excel thread while the windows go on.
void PumpUntilSet(HANDLE handle) {
    while (::MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_OBJECT_0) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
}

// One late-bound call, as the installer makes it.
VARIANT Call(IDispatch* object, const wchar_t* member, WORD flags, VARIANT* arguments = nullptr, UINT count = 0) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
    DISPID id = DISPID_UNKNOWN;
    object->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &id);
    DISPPARAMS parameters{arguments, nullptr, count, 0};
    VARIANT result;
    ::VariantInit(&result);
    object->Invoke(id, IID_NULL, 0x0409, flags, &parameters, &result, nullptr, nullptr);
    return result;
}

IDispatch* Create(const wchar_t* programId) {
    CLSID classId{};
    ::CLSIDFromProgID(programId, &classId);
    IDispatch* object = nullptr;
    ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                       reinterpret_cast<void**>(&object));
    return object;
}

VARIANT Path(IDispatch* fileSystem, const wchar_t* member, const std::wstring& path) {
    VARIANT argument;
    argument.vt = VT_BSTR;
    argument.bstrVal = ::SysAllocString(path.c_str());
    VARIANT result = Call(fileSystem, member, DISPATCH_METHOD, &argument, 1);
    ::SysFreeString(argument.bstrVal);
    return result;
}

void Copy(IDispatch* fileSystem, const std::wstring& source, const std::wstring& folder) {
    VARIANT arguments[3];  // last to first
    arguments[0].vt = VT_BOOL;
    arguments[0].boolVal = VARIANT_TRUE;
    arguments[1].vt = VT_BSTR;
    arguments[1].bstrVal = ::SysAllocString(folder.c_str());
    arguments[2].vt = VT_BSTR;
    arguments[2].bstrVal = ::SysAllocString(source.c_str());
    VARIANT result = Call(fileSystem, L"CopyFile", DISPATCH_METHOD, arguments, 3);
    ::VariantClear(&result);
    ::SysFreeString(arguments[1].bstrVal);
    ::SysFreeString(arguments[2].bstrVal);
}

// Excel's calls, on a thread of their own as the installer makes them: the note of the server's
// processes, the start, Hwnd and its process, StartupPath, then, when told, Quit.
struct Excel {
    std::wstring startupFolder;
    HANDLE ownProcess = nullptr;  // waited for at the very end
    HANDLE answered = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE quitNow = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// The account check: this process's user against the shell's, and its window station and session.
bool RunsAsTheShellsUser() {
    USEROBJECTFLAGS flags{};
    ::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr);
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    const auto userOf = [](HANDLE process, TOKEN_USER* user, DWORD size) {
        HANDLE token = nullptr;
        const bool read = ::OpenProcessToken(process, TOKEN_QUERY, &token) &&
                          ::GetTokenInformation(token, TokenUser, user, size, &size);
        if (token) ::CloseHandle(token);
        return read;
    };
    alignas(TOKEN_USER) char own[256]{};
    alignas(TOKEN_USER) char shell[256]{};
    if (!userOf(::GetCurrentProcess(), reinterpret_cast<TOKEN_USER*>(own), sizeof own)) return true;
    DWORD shellProcessId = 0;
    const HWND shellWindow = ::GetShellWindow();
    if (!shellWindow || !::GetWindowThreadProcessId(shellWindow, &shellProcessId)) return true;
    HANDLE shellProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId);
    const bool same =
        shellProcess && userOf(shellProcess, reinterpret_cast<TOKEN_USER*>(shell), sizeof shell) &&
        ::EqualSid(reinterpret_cast<TOKEN_USER*>(own)->User.Sid, reinterpret_cast<TOKEN_USER*>(shell)->User.Sid);
    if (shellProcess) ::CloseHandle(shellProcess);
    return same;
}

// The note of the server's processes taken before Excel is asked for: its registered program, and
// each process of it with its start time.
void NoteServerProcesses(const wchar_t* program) {
    wchar_t command[MAX_PATH]{};
    DWORD size = sizeof command;
    ::RegGetValueW(HKEY_CURRENT_USER,
                   L"Software\\Classes\\CLSID\\{104C49C1-7B9E-4410-8188-2F04669B413B}\\LocalServer32", nullptr,
                   RRF_RT_REG_SZ, nullptr, command, &size);
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (::lstrcmpiW(entry.szExeFile, program) != 0) continue;
        HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        FILETIME times[4]{};
        if (process) ::GetProcessTimes(process, &times[0], &times[1], &times[2], &times[3]);
        if (process) ::CloseHandle(process);
    }
    ::CloseHandle(snapshot);
}

DWORD WINAPI ExcelCalls(void* context) {
    auto& excel = *static_cast<Excel*>(context);
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    NoteServerProcesses(L"StandInExcel.exe");
    IDispatch* object = Create(L"excel.application");
    if (object) {
        VARIANT window = Call(object, L"Hwnd", DISPATCH_PROPERTYGET);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<LONG_PTR>(window.lVal)), &owner);
        excel.ownProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, owner);
        VARIANT folder = Call(object, L"StartupPath", DISPATCH_PROPERTYGET);
        if (folder.vt == VT_BSTR && folder.bstrVal) excel.startupFolder = folder.bstrVal;
        ::VariantClear(&folder);
    }
    ::SetEvent(excel.answered);
    ::WaitForSingleObject(excel.quitNow, INFINITE);
    if (object) {
        VARIANT result = Call(object, L"Quit", DISPATCH_METHOD);
        ::VariantClear(&result);
        object->Release();
    }
    ::CoUninitialize();
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE self, HINSTANCE, PWSTR, int) {
    instance = self;
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
    // The command line's switches and the one run at a time.
    ::GetCommandLineW();
    HANDLE oneRun = ::CreateMutexW(nullptr, TRUE, L"Local\\QuenzoHalvornFloorRun");
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HDC screen = ::GetDC(nullptr);  // the layout scale: the screen's dots per inch
    ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    LoadLogo();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FormProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"FloorForm";
    ::RegisterClassExW(&windowClass);
    windowClass.lpfnWndProc = PictureProcedure;
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = L"FloorPicture";
    ::RegisterClassExW(&windowClass);

    HICON startupIcons[2]{};
    HWND startup = Frame(0, WS_OVERLAPPEDWINDOW, 231, 59, nullptr, IDI_SPHERE, startupIcons);
    Control(L"FloorPicture", L"", 0, WS_EX_CLIENTEDGE, 4, 4, 225, 52, startup, nullptr);
    Show(startup);
    if (!RunsAsTheShellsUser()) return 4;

    if (::FindWindowA("XLMAIN", nullptr)) return 2;
    Excel excel;
    HANDLE excelThread = ::CreateThread(nullptr, 0, ExcelCalls, &excel, 0, nullptr);
    PumpUntilSet(excel.answered);
    IDispatch* fileSystem = Create(L"Scripting.FileSystemObject");
    wchar_t own[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring installerFolder(own, length);
    installerFolder.erase(installerFolder.rfind(L'\\'));
    VARIANT which;
    which.vt = VT_I4;
    which.lVal = 0;
    VARIANT windowsFolder = Call(fileSystem, L"GetSpecialFolder", DISPATCH_METHOD, &which, 1);
    VARIANT windowsPath = Call(windowsFolder.pdispVal, L"Path", DISPATCH_PROPERTYGET);

    HFONT small = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    HFONT large = ::CreateFontW(-19, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    HICON copyingIcons[2]{};
    HWND copying =
        Frame(WS_EX_TOOLWINDOW, WS_POPUP | WS_CAPTION | WS_SYSMENU, 487, 187, startup, IDI_QZ_ON_WHITE, copyingIcons);
    constexpr DWORD kField = ES_MULTILINE | ES_READONLY;
    Control(L"FloorPicture", L"", 0, 0, 8, 8, 225, 53, copying, nullptr);
    HWND frame1 = Control(L"BUTTON", L"", BS_GROUPBOX | WS_CLIPCHILDREN, 0, 8, 64, 225, 65, copying, small);
    Control(L"EDIT", DesignedText(L"Text1", 1), kField | ES_CENTER, 0, 4, 12, 217, 49, frame1, small);
    HWND frame2 = Control(L"BUTTON", L"", BS_GROUPBOX | WS_CLIPCHILDREN, 0, 252, 64, 229, 65, copying, small);
    Control(L"EDIT", DesignedText(L"Text1", 2), kField | ES_CENTER, 0, 4, 8, 217, 53, frame2, small);
    Control(L"EDIT", DesignedText(L"Text2", 0), kField | ES_LEFT, 0, 12, 140, 469, 45, copying, small);
    Control(L"EDIT", L"Copying files, please wait...\r\n", kField | ES_CENTER | WS_TABSTOP, 0, 252, 8, 229, 53, copying,
            large);
    Show(copying);
    PumpFor(1000);

    const std::wstring startupFolder = excel.startupFolder;
    VARIANT exists = Path(fileSystem, L"FolderExists", startupFolder);
    const std::wstring startupTarget = startupFolder + L"\\";
    Copy(fileSystem, installerFolder + L"\\QZ Macro.xls", startupTarget);
    Copy(fileSystem, installerFolder + L"\\QZ Function.xla", startupTarget);
    Copy(fileSystem, installerFolder + L"\\QuenzoHalvorn.chm", std::wstring(windowsPath.bstrVal) + L"\\Help\\");

    ::SetEvent(excel.quitNow);
    PumpUntilSet(excelThread);
    ::CloseHandle(excelThread);
    ::CloseHandle(excel.answered);
    ::CloseHandle(excel.quitNow);
    ::VariantClear(&windowsPath);
    ::VariantClear(&windowsFolder);
    fileSystem->Release();
    ::DestroyWindow(copying);
    ::DestroyWindow(startup);
    // Excel's end, once the windows are gone.
    if (excel.ownProcess) {
        ::WaitForSingleObject(excel.ownProcess, 10000);
        ::CloseHandle(excel.ownProcess);
    }
    for (HICON icon : {startupIcons[0], startupIcons[1], copyingIcons[0], copyingIcons[1]}) ::DestroyIcon(icon);
    ::DeleteObject(small);
    ::DeleteObject(large);
    logo->Release();
    ::CoUninitialize();
    ::ReleaseMutex(oneRun);
    ::CloseHandle(oneRun);
    (void)exists;
    return 0;
}
