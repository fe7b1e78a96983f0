#pragma once
#include <string>

#include "core/automation.h"

namespace qh {

inline constexpr wchar_t kExcelProgramId[] = L"excel.application";

// The Excel instance a run starts for itself, only to ask for its start-up folder.
// Quit reaches it even when a later step fails: a forgotten instance keeps running hidden, and its
// window would make every later run ask the user to close an Excel they cannot see.
class ExcelInstance {
public:
    explicit ExcelInstance(AutomationFactory& objects);
    ExcelInstance(const ExcelInstance&) = delete;
    ExcelInstance& operator=(const ExcelInstance&) = delete;
    ~ExcelInstance();

    std::wstring StartupPath();
    void Quit();
    void Release() noexcept;

private:
    AutomationPtr excel_;
    bool quitSent_ = false;
};

}  // namespace qh
