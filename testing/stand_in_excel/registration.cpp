#include "registration.h"

#include <objbase.h>

#include <stdexcept>
#include <string>

#include "registry_key.h"
#include "stand_in_identity.h"

namespace qh::testing {

namespace {

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kProgramIdKey = kClasses + kExcelProgramId;
const std::wstring kClassKey = kClasses + L"CLSID\\" + kStandInExcelClsidText;
const std::wstring kDescription = L"Excel stand-in for tests";

void WriteDefault(HKEY root, const std::wstring& keyPath, const std::wstring& text) {
    WriteText(CreateKeyForWriting(root, keyPath).get(), nullptr, text);
}

void WriteRegistration(HKEY root, const std::wstring& serverPath) {
    WriteDefault(root, kProgramIdKey, kDescription);
    WriteDefault(root, kProgramIdKey + L"\\CLSID", kStandInExcelClsidText);
    WriteDefault(root, kClassKey, kDescription);
    WriteDefault(root, kClassKey + L"\\ProgID", kExcelProgramId);
    WriteDefault(root, kClassKey + L"\\VersionIndependentProgID", kExcelProgramId);
    // COM appends " -Embedding" to this command line; the quotes keep a path with spaces whole.
    WriteDefault(root, kClassKey + L"\\LocalServer32", L"\"" + serverPath + L"\"");
}

void DeleteTree(HKEY root, const std::wstring& keyPath) {
    const LSTATUS status = ::RegDeleteTreeW(root, keyPath.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && status != ERROR_ACCESS_DENIED) {
        throw std::runtime_error("RegDeleteTreeW failed with error " + std::to_string(status));
    }
    ::RegDeleteKeyW(root, keyPath.c_str());
}

void DeleteRegistration(HKEY root) {
    const auto registeredClass = ReadText(OpenKeyForReading(root, kProgramIdKey + L"\\CLSID").get(), nullptr);
    if (registeredClass &&
        ::CompareStringOrdinal(registeredClass->c_str(), -1, kStandInExcelClsidText, -1, TRUE) == CSTR_EQUAL) {
        DeleteTree(root, kProgramIdKey);
    }
    DeleteTree(root, kClassKey);
}

bool ProgramIdResolves() {
    // The product asks in lower case; registry keys ignore case, but prove it end to end.
    for (const wchar_t* programId : {L"excel.application", L"Excel.Application"}) {
        CLSID found{};
        const HRESULT hr = ::CLSIDFromProgID(programId, &found);
        if (FAILED(hr) || !::IsEqualCLSID(found, kStandInExcelClsid)) return false;
    }
    return true;
}

}  // namespace

void RegisterStandIn(const std::wstring& serverPath) {
    WriteRegistration(HKEY_CURRENT_USER, serverPath);
    if (ProgramIdResolves()) return;
    // Wine's COM reads classes from the machine's part of the registry only.
    WriteRegistration(HKEY_LOCAL_MACHINE, serverPath);
    if (!ProgramIdResolves()) {
        throw std::runtime_error("registered, but the program identifier does not resolve to the stand-in");
    }
}

void UnregisterStandIn() {
    DeleteRegistration(HKEY_CURRENT_USER);
    DeleteRegistration(HKEY_LOCAL_MACHINE);
}

}  // namespace qh::testing
