// The installer's platform calls and nothing else: a start-up window, the Excel window lookup,
// Excel's start-up folder through automation, the file-system object's Windows folder, a progress
// window and its one-second pause, the three copies and Excel's Quit. No designs, controls, fonts,
// logo, call thread or error report: what the job costs on this platform at the least.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>

namespace {

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND ShowWindowOfSize(HINSTANCE instance, int width, int height, HWND owner) {
    HWND window = ::CreateWindowExW(0, L"FloorWindow", L"Quenzo Halvorn", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, width, height, owner, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    return window;
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
    ::CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object));
    return object;
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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"FloorWindow";
    ::RegisterClassExW(&windowClass);
    HWND startup = ShowWindowOfSize(instance, 247, 98, nullptr);

    if (::FindWindowA("XLMAIN", nullptr)) return 2;
    IDispatch* excel = Create(L"excel.application");
    IDispatch* fileSystem = Create(L"Scripting.FileSystemObject");
    VARIANT startupFolder = Call(excel, L"StartupPath", DISPATCH_PROPERTYGET);
    wchar_t own[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring installerFolder(own, length);
    installerFolder.erase(installerFolder.rfind(L'\\'));
    VARIANT which;
    which.vt = VT_I4;
    which.lVal = 0;
    VARIANT windowsFolder = Call(fileSystem, L"GetSpecialFolder", DISPATCH_METHOD, &which, 1);
    VARIANT windowsPath = Call(windowsFolder.pdispVal, L"Path", DISPATCH_PROPERTYGET);

    HWND progress = ShowWindowOfSize(instance, 503, 226, startup);
    const ULONGLONG end = ::GetTickCount64() + 1000;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }

    const std::wstring startupTarget = std::wstring(startupFolder.bstrVal) + L"\\";
    Copy(fileSystem, installerFolder + L"\\QZ Macro.xls", startupTarget);
    Copy(fileSystem, installerFolder + L"\\QZ Function.xla", startupTarget);
    Copy(fileSystem, installerFolder + L"\\QuenzoHalvorn.chm", std::wstring(windowsPath.bstrVal) + L"\\Help\\");

    VARIANT quit = Call(excel, L"Quit", DISPATCH_METHOD);
    ::VariantClear(&quit);
    excel->Release();
    ::VariantClear(&windowsPath);
    ::VariantClear(&windowsFolder);
    fileSystem->Release();
    ::VariantClear(&startupFolder);
    ::DestroyWindow(progress);
    ::DestroyWindow(startup);
    ::CoUninitialize();
    return 0;
}
