#include "core/excel_instance.h"

namespace qh {

ExcelInstance::ExcelInstance(AutomationFactory& objects) : excel_(objects.CreateObject(kExcelProgramId)) {}

ExcelInstance::~ExcelInstance() {
    if (excel_ && !quitSent_) {
        try {
            Quit();
        } catch (...) {
            // The failure that brought us here is the one to report.
        }
    }
}

std::wstring ExcelInstance::StartupPath() { return AsText(excel_->Get(L"StartupPath"), L"StartupPath"); }

void ExcelInstance::Quit() {
    quitSent_ = true;
    excel_->Call(L"Quit");
}

void ExcelInstance::Release() noexcept { excel_.reset(); }

}  // namespace qh
