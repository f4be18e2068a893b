// TAboutForm: the modal About window. Artwork, the version line from the
// program's own version resource, links to the product's and maker's pages
// and mail, and "License..." for License.txt beside the program.
#pragma once

#include "about/QorvHyperlinkLabel_win32.h"
#include "about/QorvVersionInfo_win32.h"
#include "framework/FormReader.h"
#include "framework/Forms_win32.h"
#include "framework/Graphics_win32.h"
#include "framework/StdCtrls_win32.h"

class TAboutForm : public TCustomForm {
    QORV_COMPONENT_CLASS
public:
    explicit TAboutForm(TComponent* owner);

    QORV_FIELD(TImage, imBackground);
    QORV_FIELD(TLabel, lbVersion);
    QORV_FIELD(TLabel, edVersion);
    QORV_FIELD(TLabel, lbProductHomepage);
    QORV_FIELD(TQorvHyperlinkLabel, edProductHomepage);
    QORV_FIELD(TLabel, lbDrovanexHomepage);
    QORV_FIELD(TQorvHyperlinkLabel, edDrovanexHomepage);
    QORV_FIELD(TLabel, lbDrovanexMail);
    QORV_FIELD(TQorvHyperlinkLabel, edDrovanexMail);
    QORV_FIELD(TLabel, lbCopyright);
    QORV_FIELD(TLabel, lbRights);
    QORV_FIELD(TButton, btOK);
    QORV_FIELD(TButton, btLicense);
    QORV_FIELD(TQorvVersionInfo, VersionInfo);

    void FormCreate(TObject* Sender);
    void btLicenseClick(TObject* Sender);

    // Moves each value label right of its caption where the caption's font
    // makes it reach the value's place.
    void KeepValuesBesideCaptions();

private:
    TMethodTable Methods();
};

// The About window's classes, for the form reader (called at start-up).
void RegisterAboutClasses();
