#include "document/MemoryGuard.h"

#include "app/AppState.h"
#include "document/MemoryBudget.h"
#include "document/Notify.h"
#include "settings/SettingsRecord.h"

namespace {

uint64_t availableForTest = 0;

} // namespace

uint64_t AvailableAddressSpace() {
    if (availableForTest != 0)
        return availableForTest;
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return 0;
    return status.ullAvailVirtual;
}

void SetAvailableAddressSpaceForTest(uint64_t bytes) { availableForTest = bytes; }

bool EditorWraps(HWND editor) {
    return (GetWindowLongPtrA(editor, GWL_STYLE) & ES_AUTOHSCROLL) == 0;
}

namespace {

void TellNotEnoughMemory() {
    ShowNotification(app.mainWindow, 0,
                     "Not enough memory for this change. The text was left as it was.", "OK",
                     nullptr, nullptr, settings.NotifySound, reinterpret_cast<LPARAM>(appRecord),
                     appRecord != nullptr ? appRecord->instance : nullptr);
}

} // namespace

bool GrowthAllowed(uint64_t cost) {
    if (CostFits(cost, AvailableAddressSpace()))
        return true;
    TellNotEnoughMemory();
    return false;
}

bool RebuildFits(const char* path, bool wasWrapped, bool willWrap, bool unicode) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    TextCostMeter before(wasWrapped, unicode), after(willWrap, unicode);
    static uint8_t piece[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, piece, sizeof piece, &read, nullptr) != 0) && read > 0) {
        before.Feed(piece, read);
        after.Feed(piece, read);
    }
    CloseHandle(file);
    // The old editor's share comes back when it is destroyed, before the
    // new one takes the text.
    if (ok && CostFits(after.Cost(), AvailableAddressSpace() + before.Cost()))
        return true;
    TellNotEnoughMemory();
    return false;
}

bool TextGrowthAllowed(HWND editor, const char16_t* text, std::size_t length) {
    TextCostMeter meter(EditorWraps(editor), true);
    meter.Feed(reinterpret_cast<const uint8_t*>(text), length * sizeof(char16_t));
    return GrowthAllowed(meter.Cost());
}
