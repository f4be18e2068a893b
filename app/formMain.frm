object MainForm: TMainForm
  Left = 0
  Top = 0
  Caption = 'Main'
  ClientWidth = 509
  ClientHeight = 418
  Constraints.MinWidth = 180
  Constraints.MinHeight = 152
  Font.Name = 'MS Sans Serif'
  Font.Size = 8
  ShowHint = True
  OnCreate = FormCreate
  OnShow = FormShow
  OnResize = FormResize
  object ToolBar: TToolBar
    Left = 0
    Top = 0
    Width = 509
    Height = 42
    Align = alTop
    AccessibleName = 'Tool bar'
    BorderWidth = 1
    EdgeBottom = True
    ButtonWidth = 39
    ButtonHeight = 38
    Images = LargeImages
    PopupMenu = ToolBarMenu
    object tbFind: TToolButton
      Action = atFind
      Style = tbsCheck
      Grouped = True
    end
    object tbList: TToolButton
      Action = atList
      Style = tbsCheck
      Grouped = True
    end
    object tbSep1: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object tbCopy: TToolButton
      Action = atCopy
    end
    object tbSep2: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object tbExport: TToolButton
      Action = atExport
    end
    object tbSep3: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object tbPrint: TToolButton
      Action = atPrint
    end
    object tbPrintPreview: TToolButton
      Action = atPrintPreview
    end
    object tbSep4: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object tbStayOnTop: TToolButton
      Action = atStayOnTop
      Style = tbsCheck
    end
    object tbSep5: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object tbSavePosition: TToolButton
      Action = atSaveLayout
    end
    object tbClearPosition: TToolButton
      Action = atClearLayout
    end
    object tbSep6: TToolButton
      Width = 8
      Style = tbsSeparator
    end
    object tbAbout: TToolButton
      Action = atAbout
    end
  end
  object Notebook: TNotebook
    Left = 0
    Top = 42
    Width = 509
    Height = 357
    Align = alClient
    Color = clWhite
    PageIndex = 0
    object pgMessage: TPage
      Left = 0
      Top = 0
      Width = 509
      Height = 357
      Caption = 'Message'
      Color = clWhite
      object pnFind: TQorvPanel
        Left = 0
        Top = 0
        Width = 509
        Height = 40
        Margins.Left = 5
        BorderStyle = bsNone
        Align = alTop
        BevelEdges = [beBottom]
        BevelInner = bvRaised
        BevelKind = bkTile
        BevelOuter = bvLowered
        BevelWidth = 1
        Color = 15792377
        object lbCode: TLabel
          Left = 4
          Top = 12
          Width = 40
          Height = 13
          Caption = '&Code:'
          FocusControl = edCode
        end
        object edCode: TQorvEdit
          Left = 48
          Top = 8
          Width = 69
          Height = 22
          Hint = 'Enter Windows error code here'
          ButtonType = qvbtUpDown
          ValidChars = '0123456789'
          Value = '0'
          MaxLength = 5
          Text = '0'
          OnChange = edCodeChange
          OnKeyDown = edCodeKeyDown
          Decimals = 0
          Increment = 1.000000000000000000
          Max = 16383.000000000000000000
          Thousands = False
          TabOrder = 0
        end
        object sbWordWrap: TSpeedButton
          Left = 468
          Top = 8
          Width = 23
          Height = 22
          Anchors = [akTop, akRight]
          Hint = 'Word wrap'
          Flat = True
          GroupIndex = 1
          AllowAllUp = True
          Down = True
          GlyphResource = 'WORDWRAP'
          OnClick = sbWordWrapClick
        end
      end
      object mmDescription: TMemo
        Left = 0
        Top = 40
        Width = 509
        Height = 317
        Align = alClient
        AccessibleName = 'Description'
        BorderStyle = bsNone
        ReadOnly = True
        ScrollBars = ssVertical
        TabStop = True
        Color = clWindow
        OnResize = MemoResize
      end
      object Browser: THtmlView
        Left = 0
        Top = 40
        Width = 100
        Height = 100
        OnNavigateComplete2 = BrowserCheck
      end
    end
    object pgList: TPage
      Left = 0
      Top = 0
      Width = 509
      Height = 357
      Caption = 'List'
      Color = clWhite
      OnResize = pgListResize
      object lvList: TListView
        Left = 0
        Top = 0
        Width = 509
        Height = 295
        Align = alClient
        AccessibleName = 'Error codes'
        BorderStyle = bsNone
        AllocBy = 64
        SmallImages = ListSpacer
        OnSelectItem = lvListSelectItem
        OnEnter = lvListEnter
        OnDblClick = lvListDblClick
        object colCode: TListColumn
          Caption = 'Code'
          Width = 50
        end
        object colDescription: TListColumn
          Caption = 'Description'
          Width = 384
        end
      end
      object Splitter: TSplitter
        Left = 0
        Top = 295
        Width = 509
        Height = 3
        Align = alBottom
        Color = $00FFA040
        OnMoved = SplitterMoved
      end
      object mmListDescription: TMemo
        Left = 0
        Top = 298
        Width = 509
        Height = 59
        Align = alBottom
        AccessibleName = 'Description'
        BorderStyle = bsNone
        ReadOnly = True
        ScrollBars = ssVertical
        TabStop = True
        Color = clWindow
        OnResize = MemoResize
      end
    end
  end
  object StatusBar: TStatusBar
    Left = 0
    Top = 399
    Width = 509
    Height = 19
    Align = alBottom
    SimplePanel = True
  end
  object LargeImages: TImageList
    Width = 32
    Height = 32
    ResourceName = 'TOOLBARLARGE'
  end
  object SmallImages: TImageList
    Width = 16
    Height = 16
    ResourceName = 'TOOLBARSMALL'
  end
  object ListSpacer: TImageList
    Width = 0
    Height = 16
  end
  object ActionList: TActionList
    Images = SmallImages
    object atFind: TAction
      Category = 'Toolbar'
      Caption = 'Find'
      Hint = 'Find error'
      ImageIndex = 0
      Checked = True
      ShortCut = 'Ctrl+F'
      OnExecute = atFindExecute
    end
    object atList: TAction
      Category = 'Toolbar'
      Caption = 'List'
      Hint = 'List errors'
      ImageIndex = 1
      ShortCut = 'Ctrl+L'
      OnExecute = atListExecute
    end
    object atCopy: TAction
      Category = 'Toolbar'
      Caption = 'Copy'
      Hint = 'Copy error'
      ImageIndex = 2
      ShortCut = 'Ctrl+Shift+C'
      OnExecute = atCopyExecute
    end
    object atExport: TAction
      Category = 'Toolbar'
      Caption = 'Export'
      Hint = 'Export errors...'
      ImageIndex = 3
      ShortCut = 'Ctrl+E'
      OnExecute = atExportExecute
    end
    object atPrint: TAction
      Category = 'Toolbar'
      Caption = 'Print'
      Hint = 'Print errors...'
      ImageIndex = 4
      ShortCut = 'Ctrl+P'
      OnExecute = atPrintExecute
    end
    object atPrintPreview: TAction
      Category = 'Toolbar'
      Caption = 'Print Preview'
      Hint = 'Print preview'
      ImageIndex = 5
      ShortCut = 'Ctrl+F2'
      OnExecute = atPrintPreviewExecute
    end
    object atStayOnTop: TAction
      Category = 'Toolbar'
      Caption = 'Stay On Top'
      Hint = 'Stay on top'
      ImageIndex = 6
      ShortCut = 'Ctrl+T'
      OnExecute = atStayOnTopExecute
    end
    object atSaveLayout: TAction
      Category = 'Toolbar'
      Caption = 'Save Layout'
      Hint = 'Save window layout'
      ImageIndex = 7
      ShortCut = 'Ctrl+Shift+S'
      OnExecute = atSaveLayoutExecute
    end
    object atClearLayout: TAction
      Category = 'Toolbar'
      Caption = 'Clear Layout'
      Hint = 'Clear saved window layout'
      ImageIndex = 8
      ShortCut = 'Ctrl+Shift+R'
      OnExecute = atClearLayoutExecute
    end
    object atAbout: TAction
      Category = 'Toolbar'
      Caption = 'About'
      Hint = 'About Drovanex Vantrel 2006'
      ImageIndex = 9
      ShortCut = 'F1'
      OnExecute = atAboutExecute
    end
    object atLargeIcons: TAction
      Caption = 'Large Icons'
      GroupIndex = 1
      Checked = True
      ShortCut = 'Ctrl+Shift+2'
      OnExecute = atLargeIconsExecute
    end
    object atSmallIcons: TAction
      Caption = 'Small Icons'
      GroupIndex = 1
      ShortCut = 'Ctrl+Shift+4'
      OnExecute = atSmallIconsExecute
    end
    object atWordWrap: TAction
      Caption = 'Word Wrap'
      Hint = 'Word wrap'
      ShortCut = 'Ctrl+Shift+W'
      OnExecute = atWordWrapExecute
    end
  end
  object ToolBarMenu: TPopupMenu
    object miLargeIcons: TMenuItem
      Action = atLargeIcons
      RadioItem = True
      GroupIndex = 1
    end
    object miSmallIcons: TMenuItem
      Action = atSmallIcons
      RadioItem = True
      GroupIndex = 1
    end
  end
  object ApplicationEvents: TApplicationEvents
    OnException = ApplicationEventsException
  end
  object SaveDialog: TSaveDialog
    Filter = 'Web Page (*.htm; *.html)|*.htm;*.html|Plain Text (*.txt)|*.txt'
    Options = [ofOverwritePrompt, ofHideReadOnly, ofPathMustExist, ofEnableSizing]
    OnTypeChange = SaveDialogTypeChange
  end
  object tsExportHTM: TQorvTextStorage
    Data.Strings = (
      '<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http:' +
        '//www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">'
      '<html xmlns="http://www.w3.org/1999/xhtml">'
      '<head>'
      '  <title>%OS% Error Codes & Descriptions</title>'
      '  <style type="text/css">'
      '    body'
      '    {'
      '      margin: 12px;'
      '      padding: 0px;'
      '      font-family: Verdana, Arial, Helvetica, Sans-Serif;'
      '      font-size: 8pt;'
      '    }'
      '    h1'
      '    {'
      '      font-size: 13pt;'
      '      font-weight: bolder;'
      '      color: #40a0ff;'
      '      margin: 4px 0px 16px 0px'
      '    }'
      '    h5'
      '    {'
      '      font-size: 8pt;'
      '      font-weight: bold;'
      '      color: #40a0ff;'
      '      margin: 16px 0px 0px 0px'
      '    }'
      '    h6'
      '    {'
      '      font-size: 7pt;'
      '      font-weight: normal;'
      '      color: #40a0ff;'
      '      margin: 4px 0px 0px 0px'
      '    }'
      '    a, a:visited'
      '    {'
      '      color: #ffa500;'
      '      text-decoration: none;'
      '    }'
      '    a:active, a:hover'
      '    {'
      '      color: #ff0000;'
      '      text-decoration: underline;'
      '    }'
      '    table'
      '    {'
      '      width: 754px;'
      '      font-family: Verdana, Arial, Helvetica, Sans-Serif;'
      '      font-size: 8pt;'
      '      border: solid 1px #40a0ff;'
      '      empty-cells: show;'
      '    }'
      '    th'
      '    {'
      '      padding: 4px 4px 4px 4px;'
      '      text-align: left;'
      '      background-color: #40a0ff;'
      '      color: #ffffff;'
      '    }'
      '    td'
      '    {'
      '      padding: 3px 4px 3px 4px;'
      '      vertical-align: top;'
      '    }'
      '    colgroup'
      '    {'
      '      width: 70px;'
      '    }'
      '    .E'
      '    {'
      '      background-color: #deeefe;'
      '    }'
      '    @media print {'
      '      table'
      '      {'
      '        width: auto;'
      '      }'
      '    }'
      '  </style>'
      '</head>'
      '<body>'
      '  <h1>'
      '    %OS% Error Codes & Descriptions</h1>'
      '  <table border="0" cellpadding="0" cellspacing="0">'
      '    <colgroup span="1"></colgroup>'
      '    <tr><th>Code</th><th>Description</th></tr>'
      '%TR%'
      '  </table>'
      '  <h5>'
      '    Generated by <a href="http://www.drovanex.com/vantrel/">Drovanex ' +
        'Vantrel 2006</a></h5>'
      '  <h6>'
      '    Copyright (c) 2006 <a href="http://www.drovanex.com/">Drovanex</a' +
        '>. All rights reserved.</h6>'
      '</body>'
      '</html>')
  end
  object tsExportTXT: TQorvTextStorage
    Data.Strings = (
      '%OS% Error Codes & Descriptions'
      ''
      'Code'#9'Description'
      '%TR%'
      ''
      'Generated by Drovanex Vantrel 2006'
      'Copyright (c) 2006 Drovanex. All rights reserved.'
      ''
      'More utilities from Drovanex are waiting for you at:'
      'http://www.drovanex.com/')
  end
end
