#include "htmlview/OwnHtmlView_win32.h"

#include <algorithm>
#include <cmath>

#include "framework/Forms_win32.h"
#include "framework/Gdi_win32.h"
#include "framework/StepTimes.h"
#include "framework/SysUtils_win32.h"
#include "htmlview/HtmlPaint_win32.h"
#include "htmlview/HtmlPrinting_win32.h"
#include "htmlview/formHtmlPreview_win32.h"

namespace {
// Owns a Windows handle closed with CloseHandle.
class TFileHandle {
public:
    explicit TFileHandle(HANDLE h) : FHandle(h) {}
    ~TFileHandle() {
        if (FHandle != INVALID_HANDLE_VALUE)
            CloseHandle(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    HANDLE Get() const { return FHandle; }

private:
    HANDLE FHandle;
};

// "file:///C:/a%20b.htm" -> "C:/a b.htm"; anything else is a path already.
std::string PathOfURL(const std::string& url) {
    if (url.size() < 5 || _strnicmp(url.c_str(), "file:", 5) != 0)
        return url;
    std::string rest = url.substr(5);
    rest.erase(0, std::min(rest.find_first_not_of('/'), rest.size()));
    // "file://server/share": keep the server's two slashes.
    if (url.compare(5, 2, "//") == 0 && url.compare(5, 3, "///") != 0)
        rest = "//" + rest;
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        int hi, lo;
        if (rest[i] == '%' && i + 2 < rest.size() && (hi = HexDigitValue(rest[i + 1])) >= 0 &&
            (lo = HexDigitValue(rest[i + 2])) >= 0) {
            path += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else
            path += rest[i];
    }
    return path;
}

std::string ReadPageFile(const std::string& path) {
    const std::string what = "The page \"" + path + "\" cannot be read";
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        RaiseLastOSError(what, "CreateFile");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size))
        RaiseLastOSError(what, "GetFileSizeEx");
    if (size.QuadPart > 256 * 1024 * 1024)
        throw Exception(what + ": it is larger than 256 MB.");
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)))
        RaiseLastOSError(what, "ReadFile");
    bytes.resize(read);
    return bytes;
}

THtmlPaper LocalePaper() {
    char value[8] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IPAPERSIZE, value, sizeof value);
    return std::string(value) == "1" ? THtmlPaper::Letter : THtmlPaper::A4;
}

// What the screen previews at when there is no printer to ask.
constexpr int kNoPrinterDpi = 300;

HWND OwnerWindow() {
    return Application && Application->MainForm() ? Application->MainForm()->Handle() : nullptr;
}
} // namespace

THtmlPageSetup HtmlPrinterSetup(HDC printer) {
    const int dpi = GetDeviceCaps(printer, LOGPIXELSY);
    const int margin = static_cast<int>(std::lround(0.75 * dpi));
    THtmlPageSetup s;
    s.Dpi = dpi;
    s.Width = GetDeviceCaps(printer, PHYSICALWIDTH);
    s.Height = GetDeviceCaps(printer, PHYSICALHEIGHT);
    const int offsetX = GetDeviceCaps(printer, PHYSICALOFFSETX);
    const int offsetY = GetDeviceCaps(printer, PHYSICALOFFSETY);
    s.MarginLeft = std::max(margin, offsetX);
    s.MarginTop = std::max(margin, offsetY);
    s.MarginRight = std::max(margin, s.Width - offsetX - GetDeviceCaps(printer, HORZRES));
    s.MarginBottom = std::max(margin, s.Height - offsetY - GetDeviceCaps(printer, VERTRES));
    s.Media = THtmlMedia::Print;
    return s;
}

const TClassInfo& TOwnHtmlView::StaticClass() {
    static const TClassInfo info{"TOwnHtmlView", &TGraphicControl::StaticClass(), nullptr,
                                 HtmlViewProps()};
    return info;
}

TOwnHtmlView::TOwnHtmlView(TComponent* owner) : TGraphicControl(owner) {}

TOwnHtmlView::~TOwnHtmlView() = default;

void TOwnHtmlView::Navigate(const std::string& url) {
    TStartupStep step("page read");
    std::string page =
        _stricmp(url.c_str(), "about:blank") == 0 ? std::string() : ReadPageFile(PathOfURL(url));
    // The page loaded already, read again (each print or preview writes the
    // page anew): its document stays, and with it the pages laid out from it.
    std::shared_ptr<const THtmlDocument> loaded = FDocument && page == FPage ? FDocument : nullptr;
    if (!loaded) {
        // The pages a hidden preview window still lays out are of the page
        // before: they would only take the processor from this one's.
        if (FPreviewWindow && !FPreview)
            FPreviewWindow->StopWork();
        loaded = LoadHtmlDocument(page);
    }
    // Only the latest request completes.
    FCalls.Cancel();
    FCalls.Post([this, loaded, url, page = std::move(page)]() mutable {
        FDocument = loaded;
        FPage = std::move(page);
        FLocation = url;
        // A copy: the handler may replace itself.
        if (TNavigateComplete2Event handler = FOnComplete)
            handler(this, nullptr, FLocation);
    });
}

uint32_t TOwnHtmlView::QueryStatusWB(int cmd) {
    switch (cmd) {
    case hcPrintPreview:
        return hsSupported | hsEnabled;
    case hcPrint:
        return hsSupported | (PrinterInstalled() ? hsEnabled : 0);
    default:
        return 0;
    }
}

void TOwnHtmlView::RequireDocument() const {
    if (!FDocument)
        throw Exception("The HTML view has no page loaded to print.");
}

void TOwnHtmlView::ExecWB(int cmd, int option) {
    switch (cmd) {
    case hcPrint:
        RequireDocument();
        Print(option != hoDontPrompt);
        return;
    case hcPrintPreview:
        RequireDocument();
        Preview();
        return;
    default:
        throw Exception("The HTML view does not support command " + std::to_string(cmd) + ".");
    }
}

void TOwnHtmlView::Print(bool prompt) {
    if (!PrinterInstalled())
        throw Exception("There is no printer installed to print on.");
    THtmlPages pages;
    THtmlFontCache fonts;
    THtmlPrintJob job;
    job.Title = FDocument->Title().empty() ? FLocation : FDocument->Title();
    job.Paginate = [&](HDC dc) {
        TGdiTextMeasurer measurer(dc);
        pages = LayoutHtmlPages(*FDocument, measurer, HtmlPrinterSetup(dc));
        return pages.Count();
    };
    job.DrawPage = [&](HDC dc, int page) {
        // The DC's origin is the printable area's corner, not the paper's.
        const int left = -GetDeviceCaps(dc, PHYSICALOFFSETX);
        const int top = -GetDeviceCaps(dc, PHYSICALOFFSETY);
        const RECT paper{left, top, left + pages.Setup.Width, top + pages.Setup.Height};
        PaintHtmlPage(dc, pages, page, paper, fonts);
    };
    HWND owner = FPreview && FPreview->HandleAllocated() ? FPreview->Handle() : OwnerWindow();
    PrintWithDialog(owner, job, FPrinter, prompt);
}

namespace {
// What the preview lays out for: the printer Print will use, or with none the
// locale's paper at kNoPrinterDpi, measured on a DC of the screen's kind.
class TPreviewTarget {
public:
    explicit TPreviewTarget(const THtmlPrinterChoice& choice)
        : FPrinter(choice.InformationContext()), FName(choice.PrinterName()) {
        if (!FPrinter.Get()) {
            FName = DefaultPrinterName();
            if (!FName.empty())
                FPrinter = THtmlPrinterDC(CreateICA(nullptr, FName.c_str(), nullptr, nullptr));
        }
        if (!FPrinter.Get())
            FName.clear();
        FSetup = FPrinter.Get() ? HtmlPrinterSetup(FPrinter.Get())
                                : HtmlPaperSetup(LocalePaper(), kNoPrinterDpi);
    }
    // The printer's name, empty for none; its paper as the layout sees it.
    const std::string& Name() const { return FName; }
    const THtmlPageSetup& Setup() const { return FSetup; }
    // One thread at a time: the first page is laid out before the rest starts.
    THtmlPages Lay(const THtmlDocument& document, bool firstPageOnly,
                   const std::atomic<bool>* cancel = nullptr) {
        TMemoryDC screen(nullptr);
        TGdiTextMeasurer measurer(FPrinter.Get() ? FPrinter.Get() : screen.Get());
        return firstPageOnly ? LayoutHtmlFirstPage(document, measurer, FSetup)
                             : LayoutHtmlPages(document, measurer, FSetup, cancel);
    }

private:
    THtmlPrinterDC FPrinter;
    std::string FName;
    THtmlPageSetup FSetup;
};
} // namespace

THtmlPages TOwnHtmlView::PreviewPages() const {
    RequireDocument();
    TStartupStep step("layout");
    return TPreviewTarget(FPrinter).Lay(*FDocument, false);
}

namespace {
// The printer a preview is laid out for, as cheaply as it can be told: the
// one chosen last, else the default one.
std::string PreviewPrinterName(const THtmlPrinterChoice& choice) {
    return choice.Empty() ? DefaultPrinterName() : choice.PrinterName();
}
} // namespace

void TOwnHtmlView::ShowPreviewPages(THtmlPreviewForm& form) {
    // Laid out already, or being laid out, from this page for this printer:
    // shown at once. Whether its paper is still what it was is asked of the
    // printer once the page is on the screen; a change lays out anew.
    if (form.PagesLaidOutOrComing() && FDocument == FShownPages.Document &&
        PreviewPrinterName(FPrinter) == FShownPages.Printer) {
        form.ShowFirstPage();
        form.AfterNextPaint([this, &form] {
            const TPreviewTarget target(FPrinter);
            if (target.Name() != FShownPages.Printer || target.Setup() != FShownPages.Setup)
                LayOutPreviewAgain(form);
        });
        return;
    }
    // The first page now, so that the window shows it at once whatever the
    // length of the page; the rest on a thread of the form's once it painted.
    std::shared_ptr<TPreviewTarget> target;
    {
        TStartupStep step("printer");
        target = std::make_shared<TPreviewTarget>(FPrinter);
    }
    FShownPages = {FDocument, target->Name(), target->Setup()};
    THtmlPages first;
    {
        TStartupStep step("layout");
        first = target->Lay(*FDocument, true);
    }
    if (first.Complete) {
        form.ShowPages(std::move(first));
        return;
    }
    form.ShowPages(std::move(first), [target, document = FDocument](const std::atomic<bool>& stop) {
        return target->Lay(*document, false, &stop);
    });
}

void TOwnHtmlView::LayOutPreviewAgain(THtmlPreviewForm& form) {
    const int page = form.pbPages->PageIndex();
    FShownPages = {};
    ShowPreviewPages(form);
    form.GoToPage(page);
}

THtmlPreviewForm& TOwnHtmlView::PreviewWindow() {
    if (!FPreviewWindow) {
        FPreviewWindow = std::make_unique<THtmlPreviewForm>(nullptr);
        FDesignedPreviewSize = {FPreviewWindow->Width(), FPreviewWindow->Height()};
    }
    return *FPreviewWindow;
}

void TOwnHtmlView::Preview() {
    RequireDocument();
    THtmlPreviewForm& form = PreviewWindow();
    const std::string title = FDocument->Title();
    form.SetCaption(title.empty() ? "Print Preview" : title + " - Print Preview");
    // A stored size the window cannot take (below its minimum, or nonsense)
    // leaves the designed one; a larger one is fitted to the work area when
    // the window opens (KeepInsideWorkArea).
    SIZE size = FDesignedPreviewSize;
    if (FPreviewSize.cx >= form.MinWidth() && FPreviewSize.cy >= form.MinHeight())
        size = FPreviewSize;
    form.SetBounds(form.Left(), form.Top(), size.cx, size.cy);
    form.SetActiveControl(form.pbPages);
    ShowPreviewPages(form);
    form.SetPrint(!PrinterInstalled() ? std::function<void()>() : [this, &form] {
        const unsigned chosen = FPrinter.Serial();
        Print(true);
        // Another printer, paper or orientation: the pages as they now print.
        if (FPrinter.Serial() != chosen)
            LayOutPreviewAgain(form);
    });
    struct TShowing {
        THtmlPreviewForm*& Slot;
        ~TShowing() { Slot = nullptr; }
    } showing{FPreview};
    FPreview = &form;
    form.ShowModal();
    if (form.WindowState() == TWindowState::wsNormal)
        FPreviewSize = {form.Width(), form.Height()};
}

IHtmlView* NewOwnHtmlView(TComponent* owner) {
    return new TOwnHtmlView(owner);
}
