// The whole-catalogue export of the main window, each form, next to its
// floor measured in the same run: the 16384 message lookups and one buffered
// pass writing as many bytes as the export wrote, to a file of its own.
// Usage: ExportBench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ErrorCatalog.h"
#include "app/ErrorExport.h"
#include "app/formMain_win32.h"
#include "bench/win32/BenchTime.h"
#include "app/unitStartup_win32.h"
#include "framework/MemoryKeyStore.h"

namespace {

// The main window with its writer open to timing.
class TTimedMainForm : public TMainForm {
public:
    using TMainForm::TMainForm;
    double TimeExport(const std::string& fileName, int filterIndex) {
        const double start = Now();
        ExportErrors(fileName, filterIndex);
        return Now() - start;
    }
};

int64_t FileSize(const std::string& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// What no export can go below: every lookup, then `bytes` written in 64 KiB
// blocks to a file that is created and closed as the export's is.
double TimeFloor(const std::string& fileName, int64_t bytes) {
    static const std::vector<char> block(64 * 1024, 'x');
    const double start = Now();
    size_t texts = 0;
    for (int code = 0; code <= MaxErrorCode; ++code)
        texts += GetErrorDescription(code).size();
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    for (int64_t left = bytes; left > 0;) {
        const DWORD n = static_cast<DWORD>(std::min<int64_t>(left, block.size()));
        DWORD done = 0;
        WriteFile(file, block.data(), n, &done, nullptr);
        left -= n;
    }
    CloseHandle(file);
    const double elapsed = Now() - start;
    return texts ? elapsed : -1; // the texts are used, so the lookups stay
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string dir = temp;

    TMemoryKeyStore store;
    InitializeProgram(&store);
    TProgramShutdown shutdown;
    auto* form = Application->CreateForm<TTimedMainForm>();

    std::printf("Whole-catalogue export, median of %d runs (export and floor in turn)\n", runs);
    for (const int filterIndex : {ExportWebPage, ExportPlainText}) {
        const std::string exported = dir + "qorv_export_bench" + ExportExtension(filterIndex);
        const std::string floorFile = dir + "qorv_export_floor" + ExportExtension(filterIndex);
        std::vector<double> exports, floors;
        int64_t bytes = 0;
        for (int i = 0; i < runs; ++i) {
            exports.push_back(form->TimeExport(exported, filterIndex) * 1000);
            bytes = FileSize(exported);
            floors.push_back(TimeFloor(floorFile, bytes) * 1000);
        }
        const double e = Median(exports), f = Median(floors);
        std::printf("  %-10s %8lld bytes   export %7.1f ms   floor %7.1f ms   ratio %.2f\n",
                    filterIndex == ExportWebPage ? "web page" : "text",
                    static_cast<long long>(bytes), e, f, e / f);
        DeleteFileA(exported.c_str());
        DeleteFileA(floorFile.c_str());
    }
    return 0;
}
