#include "framework/Registration_win32.h"

#include "framework/ActnList.h"
#include "framework/ComCtrls_win32.h"
#include "framework/Dialogs_win32.h"
#include "framework/ExtCtrls_win32.h"
#include "framework/Forms_win32.h"
#include "framework/Graphics_win32.h"
#include "framework/HtmlView.h"
#include "framework/Menus_win32.h"
#include "framework/StdCtrls_win32.h"

void RegisterFrameworkClasses() {
    RegisterActionClasses();
    RegisterGraphicClasses();
    RegisterDialogClasses();
    for (const TClassInfo* info : {
             &TApplicationEvents::StaticClass(),
             &TLabel::StaticClass(),
             &TButton::StaticClass(),
             &TEdit::StaticClass(),
             &TMemo::StaticClass(),
             &TPage::StaticClass(),
             &TNotebook::StaticClass(),
             &TSplitter::StaticClass(),
             &TSpeedButton::StaticClass(),
             &TImageList::StaticClass(),
             &TToolButton::StaticClass(),
             &TToolBar::StaticClass(),
             &TStatusBar::StaticClass(),
             &TListColumn::StaticClass(),
             &TListView::StaticClass(),
             &TMenuItem::StaticClass(),
             &TPopupMenu::StaticClass(),
             &TImage::StaticClass(),
             &HtmlViewClass(),
         })
        RegisterComponentClass(*info);
}
