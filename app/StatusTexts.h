// The texts the main window's status bar shows, in one place. Users know
// them as they stand, spellings included: they are not to be corrected.
#pragma once

// Looking an error up.
inline constexpr char SErrorNotFound[] = "Error description not found.";
inline constexpr char SErrorCopied[] = "Error has beed copied to clipboard.";

// Save Layout and Clear Layout.
inline constexpr char SLayoutSaved[] = "Window layout has been saved.";
inline constexpr char SLayoutCleared[] = "Saved window layout has been cleared.";

// Export.
inline constexpr char SExportingErrors[] = "Exporting errors...";
inline constexpr char SErrorsExported[] = "Errors has beed exported succesfully.";
inline constexpr char SExportCanceled[] = "Export has been canceled by user.";

// Print and Print Preview: while the page loads, then once it was handed on.
inline constexpr char SPrintingErrors[] = "Printing errors...";
inline constexpr char SGeneratingPreview[] = "Generating print preview...";
inline constexpr char SErrorsPrinted[] = "Errors were sent to printer.";
inline constexpr char SPreviewGenerated[] = "Print preview was generated.";
